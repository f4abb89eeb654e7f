"use strict";
// The browser page in headless Chromium, driven with real input events over
// the DevTools protocol and checked against the native tools: its floats
// against rasterwork-snapshot's PFM files, its pixel story against
// rasterwork-explain --json, its input against the viewer's rules.
//
//   node tests/web/page_tests.js --page build-web/rasterwork.html \
//       --snapshot PATH/rasterwork-snapshot --explain PATH/rasterwork-explain \
//       --failures DIR [--only NAME] [--graphics swiftshader|angle-mesa]
//
// The browser draws WebGL with SwiftShader (the default) or ANGLE on Mesa.
// A failing test writes a screenshot of the page to DIR/NAME.png.
const fs = require("fs");
const os = require("os");
const path = require("path");
const { spawnSync } = require("child_process");
const { Browser, GRAPHICS_FLAGS } = require("./browser.js");

const options = parseArguments(process.argv.slice(2));
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), "rasterwork-web-tests-"));
const START = { angleZ: -135, angleX: -60, zoom: 0.25, panX: 0, panY: 0, width: 480,
  height: 480, rules: "none" };

function parseArguments(args) {
  const result = { failures: "browser-test-failures", graphics: "swiftshader" };
  for (let i = 0; i < args.length; i += 2) {
    const key = args[i].replace(/^--/, "");
    if (!["page", "snapshot", "explain", "failures", "only", "graphics"].includes(key) ||
        args[i + 1] === undefined) {
      console.error("page_tests: unknown or incomplete argument " + args[i]);
      process.exit(2);
    }
    result[key] = args[i + 1];
  }
  if (!GRAPHICS_FLAGS[result.graphics]) {
    console.error("page_tests: --graphics is one of " + Object.keys(GRAPHICS_FLAGS).join(", "));
    process.exit(2);
  }
  for (const needed of ["page", "snapshot", "explain"]) {
    if (!result[needed]) {
      console.error("page_tests: --" + needed + " is needed");
      process.exit(2);
    }
  }
  return result;
}

// ---- the native side ---------------------------------------------------------

function viewArguments(view) {
  const v = Object.assign({}, START, view);
  const args = ["--width", String(v.width), "--height", String(v.height),
    "--angle-z", String(v.angleZ), "--angle-x", String(v.angleX), "--zoom", String(v.zoom),
    "--pan-x", String(v.panX), "--pan-y", String(v.panY)];
  if (v.rules !== "none") args.push("--like-reference", v.rules);
  if (v.stopAfter) args.push("--stop-after", v.stopAfter);
  return args;
}

function runTool(tool, args) {
  const env = Object.assign({}, process.env);
  delete env.DISPLAY;
  const run = spawnSync(tool, args, { timeout: 120000, env, encoding: "utf8" });
  if (run.error) throw run.error;
  if (run.status !== 0) {
    throw new Error(path.basename(tool) + " " + args.join(" ") + " ended with status " +
      run.status + ": " + run.stderr.trim());
  }
  return run.stdout;
}

// The float data of a PFM file, rows from the bottom as the file holds them.
function readPfm(file) {
  const bytes = fs.readFileSync(file);
  let at = 0;
  const fields = [];
  while (fields.length < 4) {
    while (/\s/.test(String.fromCharCode(bytes[at]))) ++at;
    let end = at;
    while (!/\s/.test(String.fromCharCode(bytes[end]))) ++end;
    fields.push(bytes.subarray(at, end).toString("ascii"));
    at = end;
  }
  ++at;  // the single whitespace byte before the data
  if (Number(fields[3]) >= 0) throw new Error(file + ": not little-endian");
  return bytes.subarray(at);
}

function nativeFloats(view, renderer = "software") {
  const color = path.join(scratch, "color.pfm");
  const depth = path.join(scratch, "depth.pfm");
  runTool(options.snapshot, viewArguments(view).concat(["--renderer", renderer, "--color-pfm", color,
    "--depth-pfm", depth]));
  return { color: readPfm(color), depth: readPfm(depth) };
}

// The tool's story without the real reference: asked to reach OpenGL
// through an X display when there is none, it draws the software side and
// the reference model only, as the page does.
function nativeExplanation(view, x, y) {
  return JSON.parse(runTool(options.explain, viewArguments(view).concat(["--gl-platform", "x11",
    "--json", "--", String(x), String(y)])));
}

// ---- the page side -----------------------------------------------------------

let browser = null;

async function openPage(hash = "") {
  // From a blank page, so that a link differing only in its # part loads anew.
  await browser.open("about:blank");
  await browser.open("file://" + path.resolve(options.page) + hash);
  await browser.evaluate("window.rasterwork.ready.then(() => true)");
}

function setView(view) {
  return browser.evaluate("JSON.stringify(rasterwork.setView(" +
    JSON.stringify(Object.assign({}, START, view)) + "))").then(JSON.parse);
}

async function pageBytes(expression) {
  const base64 = await browser.evaluate(`(() => {
    const values = ${expression};
    const bytes = new Uint8Array(values.buffer, values.byteOffset, values.byteLength);
    let text = "";
    for (let i = 0; i < bytes.length; i += 0x8000) {
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    }
    return btoa(text);
  })()`);
  return Buffer.from(base64, "base64");
}

async function pageView() {
  return JSON.parse(await browser.evaluate("JSON.stringify(rasterwork.view())"));
}

async function explainOnPage(x, y) {
  return JSON.parse(await browser.evaluate("JSON.stringify(rasterwork.explain(" + x + "," + y + "))"));
}

// The page's box of an element: left, top, width, height in CSS pixels.
async function box(selector) {
  return JSON.parse(await browser.evaluate("JSON.stringify((() => { const r = " +
    "document.querySelector(" + JSON.stringify(selector) + ").getBoundingClientRect(); " +
    "return {left: r.left, top: r.top, width: r.width, height: r.height}; })())"));
}

// Waits (bounded) until the page has run its queued update and painted.
function settled() {
  return browser.evaluate("new Promise((done) => requestAnimationFrame(() => " +
    "requestAnimationFrame(() => done(true))))");
}

async function waitFor(what, test, ms = 10000) {
  const end = Date.now() + ms;
  for (;;) {
    const value = await test();
    if (value) return value;
    if (Date.now() > end) throw new Error("waited " + ms + " ms for " + what);
    await new Promise((r) => setTimeout(r, 50));
  }
}

// ---- checks ------------------------------------------------------------------

function check(condition, message) {
  if (!condition) throw new Error(message);
}

function checkEqual(actual, expected, what) {
  const a = JSON.stringify(actual), e = JSON.stringify(expected);
  check(a === e, what + ": " + a + ", expected " + e);
}

// Bit for bit; on a mismatch, how many floats differ and the first of them.
function checkSameFloats(pageData, nativeData, what) {
  check(pageData.length === nativeData.length, what + ": " + pageData.length / 4 +
    " floats on the page, " + nativeData.length / 4 + " in the file");
  if (pageData.equals(nativeData)) return pageData.length / 4;
  let differing = 0, first = -1;
  for (let i = 0; i < pageData.length; i += 4) {
    if (pageData.readUInt32LE(i) !== nativeData.readUInt32LE(i)) {
      if (first < 0) first = i / 4;
      ++differing;
    }
  }
  throw new Error(what + ": " + differing + " of " + pageData.length / 4 + " floats differ, " +
    "the first at " + first + ": " + pageData.readFloatLE(first * 4) + " on the page, " +
    nativeData.readFloatLE(first * 4) + " in the file");
}

async function checkFloatsAgainstNative(view, what) {
  const native = nativeFloats(view);
  const color = await pageBytes("rasterwork.colorFloats()");
  const depth = await pageBytes("rasterwork.depthFloats()");
  return checkSameFloats(color, native.color, what + " colour") +
    checkSameFloats(depth, native.depth, what + " depth");
}

// The software panel shows each pixel's colour as the window would.
async function checkPanelShowsWindowBytes(what) {
  const { width, height, stage } = await pageView();
  check(stage === "colour", what + ": the left panel shows " + stage);
  const color = await pageBytes("rasterwork.colorFloats()");
  const shown = await pageBytes("(() => { const c = document.getElementById('software-canvas');" +
    " return c.getContext('2d').getImageData(0, 0, c.width, c.height).data; })()");
  for (let y = 0; y < height; ++y) {
    for (let x = 0; x < width; ++x) {
      const i = y * width + x, at = 4 * ((height - 1 - y) * width + x);
      for (let c = 0; c < 3; ++c) {
        const expected = windowByte(color.readFloatLE(4 * (3 * i + c)));
        if (shown[at + c] !== expected) {
          throw new Error(what + ": pixel " + x + ", " + y + " channel " + c + " shows " +
            shown[at + c] + ", the window would show " + expected);
        }
      }
    }
  }
}

// The byte a window shows for a colour channel: clamped to [0, 1] (NaN as
// 0), times 255 in float, to the nearest whole number, ties to even.
function windowByte(value) {
  if (!(value > 0)) return 0;
  if (value >= 1) return 255;
  const scaled = Math.fround(value * 255);
  const whole = Math.floor(scaled);
  const rest = scaled - whole;
  if (rest !== 0.5) return rest < 0.5 ? whole : whole + 1;
  return whole % 2 === 0 ? whole : whole + 1;
}

// ---- the tests -----------------------------------------------------------------

// Views whose numbers are floats exactly, so the page and the tool read the
// same values; sizes from one pixel to wide and tall frames; the reference's
// rules alone, in part and all together; a view from below, one edge-on and
// one whose geometry comes nearer than the near plane.
const VIEW_TABLE = [
  {},
  { width: 640, height: 360, angleZ: -75, angleX: -30, zoom: 2.25 },
  { width: 200, height: 300, angleZ: 45, angleX: 0, panX: 12, panY: -7 },
  { angleX: -120 },
  { width: 240, height: 240, angleZ: -105, angleX: 150 },
  { width: 333, height: 211, angleZ: 33.25, angleX: -89.5, zoom: -3, panX: -20.5 },
  { width: 300, height: 300, zoom: 9.5 },
  { width: 1, height: 1, zoom: 6 },
  { width: 7, height: 3, angleZ: 10 },
  { width: 320, height: 240, rules: "all" },
  { width: 256, height: 256, angleZ: 60, angleX: -45, rules: "sampling,ambient,lights" },
  { width: 256, height: 256, angleZ: -170, angleX: 20, rules: "vertex,perspective" },
  { width: 400, height: 300, angleZ: -135, angleX: -60, rules: "subpixel" },
];

const tests = {
  async "colour and depth floats equal the snapshot tool's on a table of views"() {
    let floats = 0;
    for (const view of VIEW_TABLE) {
      await setView(view);
      floats += await checkFloatsAgainstNative(view, JSON.stringify(view));
      await checkPanelShowsWindowBytes(JSON.stringify(view));
    }
    console.log("      " + floats + " floats in " + VIEW_TABLE.length + " views, all equal");
  },

  async "the reference model's floats equal the snapshot tool's under all rules"() {
    let floats = 0;
    for (const [index, view] of VIEW_TABLE.slice(0, 6).entries()) {
      await setView(view);
      if (index === 1) {
        // From here on a pinned pixel: both pictures are drawn while its
        // story is told.
        // Pixel 20, 20, inside every frame of the table.
        const canvas = await box("#software-canvas");
        const x = canvas.left + 20.5, y = canvas.top + canvas.height - 20.5;
        await browser.mouse("mousePressed", x, y, { button: "left", buttons: 1, clickCount: 1 });
        await browser.mouse("mouseReleased", x, y, { button: "left", buttons: 0, clickCount: 1 });
        await settled();
        await setView(view);
      }
      if (index >= 1) {
        check((await pageView()).pixel.pinned, "no pixel pinned");
        floats += await checkFloatsAgainstNative(view, JSON.stringify(view) + " with a story");
      }
      const native = nativeFloats(Object.assign({}, view, { rules: "all" }));
      floats += checkSameFloats(await pageBytes("rasterwork.modelColorFloats()"), native.color,
        JSON.stringify(view) + " model colour");
      floats += checkSameFloats(await pageBytes("rasterwork.modelDepthFloats()"), native.depth,
        JSON.stringify(view) + " model depth");
    }
    console.log("      " + floats + " floats in 6 views (5 while a story is told), all equal");
  },

  async "a left drag of N pixels turns the scene as the viewer does"() {
    await setView({});
    const canvas = await box("#software-canvas");
    const x = canvas.left + 200, y = canvas.top + 200;
    await browser.mouse("mouseMoved", x, y);
    await browser.mouse("mousePressed", x, y, { button: "left", buttons: 1, clickCount: 1 });
    // 30 pixels right and 12 down, in three moves.
    for (const [dx, dy] of [[10, 4], [25, 9], [30, 12]]) {
      await browser.mouse("mouseMoved", x + dx, y + dy, { button: "left", buttons: 1 });
    }
    await browser.mouse("mouseReleased", x + 30, y + 12, { button: "left", buttons: 0, clickCount: 1 });
    await settled();
    const view = await pageView();
    checkEqual([view.angleZ, view.angleX, view.zoom, view.panX, view.panY],
      [-135 + 30, -60 + 12, 0.25, 0, 0], "angles after the drag");
    check(view.pixel === null || !view.pixel.pinned, "a drag pinned a pixel");
    await checkFloatsAgainstNative({ angleZ: -105, angleX: -48 }, "after the drag");
  },

  async "a right drag pans, 0.01 scene units per pixel"() {
    await setView({});
    const canvas = await box("#model-canvas");
    const x = canvas.left + 240, y = canvas.top + 240;
    await browser.mouse("mouseMoved", x, y);
    await browser.mouse("mousePressed", x, y, { button: "right", buttons: 2, clickCount: 1 });
    await browser.mouse("mouseMoved", x + 8, y - 4, { button: "right", buttons: 2 });
    await browser.mouse("mouseMoved", x + 15, y - 10, { button: "right", buttons: 2 });
    await browser.mouse("mouseReleased", x + 15, y - 10, { button: "right", buttons: 0, clickCount: 1 });
    await settled();
    const view = await pageView();
    checkEqual([view.angleZ, view.angleX, view.panX, view.panY], [-135, -60, 15, -10],
      "view after the right drag");
    await checkFloatsAgainstNative({ panX: 15, panY: -10 }, "after the pan");
  },

  // The viewer gets a notch as a press and a release of GLUT's button 3 or
  // 4, one step (0.25 scene units) each; events sent faster than the page
  // takes them are merged by the browser, and still count every notch.
  async "each wheel notch zooms two steps as in the viewer, however fast they come"() {
    await setView({});
    const canvas = await box("#map-canvas");
    const x = canvas.left + 100, y = canvas.top + 100;
    await browser.mouse("mouseWheel", x, y, { deltaX: 0, deltaY: -100 });
    await settled();
    checkEqual((await pageView()).zoom, 2.25, "zoom after one notch up");
    await browser.mouse("mouseWheel", x, y, { deltaX: 0, deltaY: 100 });
    await browser.mouse("mouseWheel", x, y, { deltaX: 0, deltaY: 100 });
    await settled();
    checkEqual((await pageView()).zoom, -1.75, "zoom after two notches down");
    await checkFloatsAgainstNative({ zoom: -1.75 }, "after the wheel");
    // The notches as the browser counts them (its wheel ticks, 120 each),
    // however it merges the events, read in the same turn as the zoom, on a
    // small frame that draws quickly.
    await setView({ width: 64, height: 64, zoom: -1.75 });
    const small = await box("#map-canvas");
    const [sx, sy] = [small.left + small.width / 2, small.top + small.height / 2];
    await browser.evaluate("window.ticks = 0; window.events = 0; addEventListener('wheel', " +
      "(e) => { ticks += e.wheelDeltaY / 120; ++events; }, { capture: true }); true");
    const notches = [];
    for (let i = 0; i < 300; ++i) {
      notches.push(browser.mouse("mouseWheel", sx, sy, { deltaX: 0, deltaY: 100 }));
    }
    await Promise.all(notches);
    await settled();
    const [ticks, events, zoom] = await browser.evaluate("[ticks, events, rasterwork.view().zoom]");
    check(ticks < 0, "none of 300 fast notches arrived");
    checkEqual(zoom, -1.75 + 2 * ticks, "zoom after " + -ticks + " fast notches down in " +
      events + " wheel events");
    console.log("      " + -ticks + " notches of 300 sent arrived in " + events + " wheel events");
  },

  // Zoomed past the scene no face reaches the screen: the story says so as
  // the tool does, and the page's text keeps up with every notch.
  async "where nothing reaches the screen the story is told and the text follows the wheel"() {
    await openPage("#zoom=16&pixel=240,240");
    check(await browser.evaluate("document.getElementById('status').className") !== "failed",
      "the page says " + await browser.evaluate("document.getElementById('status').textContent"));
    const story = JSON.parse(await browser.evaluate("JSON.stringify(rasterwork.story())"));
    checkEqual(story, withoutReference(nativeExplanation({ zoom: 16 }, 240, 240)),
      "story at 240, 240");
    const shown = await browser.evaluate("document.getElementById('story-body').textContent");
    for (const words of ["No span on row 240 comes near", "No face reaches the screen"]) {
      check(shown.includes(words), "the story does not say " + JSON.stringify(words));
    }
    await openPage();
    const canvas = await box("#software-canvas");
    const x = canvas.left + 240.5, y = canvas.top + 239.5;
    await browser.mouse("mouseMoved", x, y);
    const text = (id) => browser.evaluate("document.getElementById('" + id + "').textContent");
    for (let notch = 1; notch <= 8; ++notch) {
      await browser.mouse("mouseWheel", x, y, { deltaX: 0, deltaY: -100 });
      await settled();
      const zoom = String(0.25 + 2 * notch);
      checkEqual([await text("zoom"), (await text("command-explain")).includes("--zoom " + zoom)],
        [zoom, true], "the text after notch " + notch);
    }
    await waitFor("the address bar to follow", async () =>
      (await browser.evaluate("location.hash")).includes("zoom=16.25&"));
  },

  // A link with a bad % escape, at the start or on a hash change, is
  // refused in words and leaves the view as it was.
  async "a link that cannot be decoded is refused in words"() {
    await openPage("#zoom=%");
    const status = () => browser.evaluate("document.getElementById('status').textContent");
    check(/link was refused/.test(await status()), "the page says " + await status());
    checkEqual((await pageView()).zoom, 0.25, "zoom after a refused link");
    await browser.evaluate("window.errors = []; window.addEventListener('error', " +
      "(e) => errors.push(e.message)); true");
    await setView({ zoom: 3, width: 200, height: 200 });
    const before = await pageView();
    await browser.evaluate("location.hash = '#zoom=5&angle-z=%E0%A4%A'; true");
    await waitFor("the refusal", async () => /link was refused/.test(await status()));
    checkEqual(await pageView(), before, "view after a refused hash change");
    checkEqual(await browser.evaluate("errors"), [], "uncaught errors");
    await waitFor("the address bar to show the view", async () =>
      (await browser.evaluate("location.hash")).includes("zoom=3&"));
  },

  // A refused change changes nothing, and a pinned pixel outside a smaller
  // frame is let go, so the explain command is one the tool takes.
  async "a refused change changes nothing and a pin outside the new frame is let go"() {
    await openPage("#pixel=400,400");
    checkEqual((await pageView()).pixel, { pinned: true, x: 400, y: 400 }, "pinned pixel");
    await browser.evaluate("location.hash = '#width=100&height=100'; true");
    await waitFor("the smaller frame", async () => (await pageView()).width === 100);
    await settled();
    checkEqual((await pageView()).pixel, null, "pixel after the frame shrank");
    const command = await browser.evaluate(
      "document.getElementById('command-explain').textContent");
    check(command.endsWith(" 50 50"), "explain command " + command);
    const before = await pageView();
    const link = await browser.evaluate("document.getElementById('link').getAttribute('href')");
    const refused = await browser.evaluate("(() => { try { rasterwork.setView({width: 2049, " +
      "zoom: 2}); return ''; } catch (e) { return e.message; } })()");
    check(/sizes run from 1 to 2048/.test(refused), "setView said " + JSON.stringify(refused));
    checkEqual(await pageView(), before, "view after the refused change");
    checkEqual(await browser.evaluate("document.getElementById('link').getAttribute('href')"),
      link, "link after the refused change");
    await checkFloatsAgainstNative({ width: 100, height: 100 }, "after the refused change");
  },

  async "hovering shows the story of the pixel under the pointer, in every panel"() {
    await setView({ width: 320, height: 240, angleZ: -120 });
    for (const [panel, column, top] of [["#software-canvas", 100, 50], ["#model-canvas", 180, 131],
      ["#map-canvas", 0, 239]]) {
      const canvas = await box(panel);
      await browser.mouse("mouseMoved", canvas.left + column + 0.5, canvas.top + top + 0.5);
      const row = 240 - 1 - top;
      const title = "Pixel " + column + ", " + row + " ";
      await waitFor("the story of " + column + ", " + row, async () =>
        (await browser.evaluate("rasterwork.storyTitle()")).includes(title));
      const view = await pageView();
      checkEqual([view.pixel.x, view.pixel.y, view.pixel.pinned], [column, row, false],
        "hovered pixel");
      // The story shown is rasterwork-explain's for that pixel, and the
      // model's side ends in the colour the model's buffer holds there.
      const story = JSON.parse(await browser.evaluate("JSON.stringify(rasterwork.story())"));
      checkEqual(story, withoutReference(nativeExplanation({ width: 320, height: 240,
        angleZ: -120 }, column, row)), "story shown at " + column + ", " + row);
      const i = 3 * (row * 320 + column);
      const colour = await pageBytes("rasterwork.modelColorFloats().subarray(" + i + ", " +
        (i + 3) + ")");
      if (story.reference_model.covered) {
        checkEqual(story.reference_model.color.slice(0, 3).map((c) => Math.fround(c)),
          [0, 1, 2].map((c) => colour.readFloatLE(4 * c)), "model colour at " + column + ", " + row);
      }
      const shown = await browser.evaluate("document.getElementById('story-body').textContent");
      check(shown.includes(story.software.window_bytes.join(" ")),
        "the story panel does not show the window bytes " + story.software.window_bytes);
    }
  },

  async "a click pins the pixel and the arrow keys step it"() {
    await setView({});
    const canvas = await box("#software-canvas");
    const x = canvas.left + 150.5, y = canvas.top + 300.5;
    await browser.mouse("mouseMoved", x, y);
    await browser.mouse("mousePressed", x, y, { button: "left", buttons: 1, clickCount: 1 });
    await browser.mouse("mouseReleased", x, y, { button: "left", buttons: 0, clickCount: 1 });
    let view = await pageView();
    checkEqual(view.pixel, { pinned: true, x: 150, y: 179 }, "pinned pixel");
    await browser.mouse("mouseMoved", x + 40, y + 40);
    checkEqual((await pageView()).pixel, { pinned: true, x: 150, y: 179 }, "pinned pixel after a hover");
    await browser.key("ArrowRight", "ArrowRight", 39);
    await browser.key("ArrowUp", "ArrowUp", 38);
    await browser.key("ArrowUp", "ArrowUp", 38);
    view = await pageView();
    checkEqual(view.pixel, { pinned: true, x: 151, y: 181 }, "pixel after right, up, up");
    await waitFor("the story to follow the keys to 151, 181", async () =>
      (await browser.evaluate("rasterwork.storyTitle()")).includes("Pixel 151, 181 "));
  },

  async "a link restores the view, the rules and the pixel"() {
    await setView({ width: 300, height: 200, angleZ: -97.5, angleX: 12.25, zoom: 3, panX: 4,
      panY: -6, rules: "sampling,vertex" });
    const canvas = await box("#software-canvas");
    await browser.mouse("mousePressed", canvas.left + 20.5, canvas.top + 30.5,
      { button: "left", buttons: 1, clickCount: 1 });
    await browser.mouse("mouseReleased", canvas.left + 20.5, canvas.top + 30.5,
      { button: "left", buttons: 0, clickCount: 1 });
    await settled();
    const expected = await pageView();
    checkEqual(expected.pixel, { pinned: true, x: 20, y: 169 }, "pinned pixel");
    const link = await browser.evaluate("document.getElementById('link').getAttribute('href')");
    await openPage("");  // a fresh page at the start-up view
    checkEqual((await pageView()).angleZ, -135, "start-up view");
    await openPage(link);
    const restored = await pageView();
    checkEqual(restored, expected, "view from the link " + link);
    await checkFloatsAgainstNative({ width: 300, height: 200, angleZ: -97.5, angleX: 12.25,
      zoom: 3, panX: 4, panY: -6, rules: "sampling,vertex" }, "from the link");
  },

  async "the rule toggles and the ladder redraw the software picture"() {
    await setView({ width: 240, height: 240 });
    const toggle = await box("#rule-lights");
    await browser.mouse("mousePressed", toggle.left + 4, toggle.top + 4,
      { button: "left", buttons: 1, clickCount: 1 });
    await browser.mouse("mouseReleased", toggle.left + 4, toggle.top + 4,
      { button: "left", buttons: 0, clickCount: 1 });
    await settled();
    checkEqual((await pageView()).rules, ["lights"], "rules after the toggle");
    await checkFloatsAgainstNative({ width: 240, height: 240, rules: "lights" }, "lights");
    // From a mix of rules, up goes to the first ladder step that holds them
    // all, then on step by step; down to the last step within them.
    const clickButton = async (selector) => {
      const button = await box(selector);
      await browser.mouse("mousePressed", button.left + 4, button.top + 4,
        { button: "left", buttons: 1, clickCount: 1 });
      await browser.mouse("mouseReleased", button.left + 4, button.top + 4,
        { button: "left", buttons: 0, clickCount: 1 });
      await settled();
    };
    await clickButton("#ladder-up");
    checkEqual((await pageView()).rules, ["sampling", "ambient", "lights"], "rules after up");
    await checkFloatsAgainstNative({ width: 240, height: 240, rules: "sampling,ambient,lights" },
      "third ladder step");
    await clickButton("#ladder-up");
    checkEqual((await pageView()).rules, ["sampling", "ambient", "lights", "viewer"],
      "rules after up, up");
    await setView({ width: 240, height: 240, rules: "sampling,ambient,viewer" });
    await clickButton("#ladder-down");
    checkEqual((await pageView()).rules, ["sampling", "ambient"], "rules after down from a mix");
  },

  async "a size out of range is refused in words, and the next view draws"() {
    for (const size of [{ width: 2049, height: 10 }, { width: 10, height: 0 }]) {
      const refused = await browser.evaluate("(() => { try { rasterwork.setView(" +
        JSON.stringify(size) + "); return ''; } catch (e) { return e.message; } })()");
      check(/sizes run from 1 to 2048/.test(refused), "setView(" + JSON.stringify(size) +
        ") said: " + JSON.stringify(refused));
      const status = await browser.evaluate("document.getElementById('status').textContent");
      check(status === refused, "the page says " + JSON.stringify(status));
      checkEqual(await browser.evaluate("rasterwork.colorFloats().length"), 3 * 480 * 480,
        "floats of the frame before");
    }
    await setView({ width: 64, height: 48 });
    await checkFloatsAgainstNative({ width: 64, height: 48 }, "after a refused size");
    // Values the tools would refuse leave the view as it was.
    const before = await pageView();
    for (const bad of ["{angleZ: NaN}", "{zoom: 1e39}", "{width: 3.5}", "{rules: 'sampling,bogus'}"]) {
      const refused = await browser.evaluate("(() => { try { rasterwork.setView(" + bad +
        "); return ''; } catch (e) { return e.message; } })()");
      check(refused !== "", "setView(" + bad + ") was taken");
      checkEqual(await pageView(), before, "view after setView(" + bad + ")");
    }
  },

  async "the depth picture is brightest nearest and black where nothing was stored"() {
    await setView({ width: 200, height: 200 });
    const radio = await box('input[name="stage"][value="1"]');
    await browser.mouse("mousePressed", radio.left + 4, radio.top + 4,
      { button: "left", buttons: 1, clickCount: 1 });
    await browser.mouse("mouseReleased", radio.left + 4, radio.top + 4,
      { button: "left", buttons: 0, clickCount: 1 });
    await settled();
    checkEqual((await pageView()).stage, "depth", "stage");
    const depth = await pageBytes("rasterwork.depthFloats()");
    const grey = await pageBytes("(() => { const c = document.getElementById('software-canvas');" +
      " return c.getContext('2d').getImageData(0, 0, c.width, c.height).data; })()");
    // Over every pixel: black exactly where no depth was stored, and a
    // nearer depth never darker than a farther one.
    const covered = [];
    for (let row = 0; row < 200; ++row) {
      for (let column = 0; column < 200; ++column) {
        const z = depth.readFloatLE(4 * (row * 200 + column));
        const g = grey[4 * ((199 - row) * 200 + column)];
        if (z < 1) covered.push([z, g]); else check(g === 0, "not black where nothing is stored");
      }
    }
    check(covered.length > 1000, "too few covered pixels: " + covered.length);
    covered.sort((a, b) => a[0] - b[0]);
    for (let i = 1; i < covered.length; ++i) {
      check(covered[i][1] <= covered[i - 1][1], "a farther depth is brighter than a nearer one");
      check(covered[i][1] > 0, "a stored depth is black");
    }
  },

  async "the cause map gives each pixel the step from which on it is within one step of the model"() {
    const size = { width: 160, height: 160, angleZ: -100, angleX: -70 };
    await setView(Object.assign({ reference: "model" }, size));
    const causes = await pageBytes("rasterwork.causes()");
    const modelColor = await pageBytes("rasterwork.modelColorFloats()");
    const modelDepth = await pageBytes("rasterwork.modelDepthFloats()");
    const pixels = 160 * 160;
    // Each step's picture from the native tool, judged pixel by pixel
    // against the model: a pixel's cause is the step since which it has been
    // within; -1 while nothing has covered it, -2 while it differs.
    const expected = new Int8Array(pixels).fill(-1);
    let cameBack = 0;  // pixels within at one step that differ at a later one
    const names = ["sampling", "ambient", "lights", "viewer", "specular", "vertex", "perspective",
      "subpixel"];
    for (let step = 0; step <= names.length; ++step) {
      const native = nativeFloats(Object.assign({}, size,
        { rules: step ? names.slice(0, step).join(",") : "none" }));
      for (let i = 0; i < pixels; ++i) {
        const inStep = native.depth.readFloatLE(4 * i) < 1;
        const inModel = modelDepth.readFloatLE(4 * i) < 1;
        let within = inStep === inModel;
        for (let c = 0; within && inStep && c < 3; ++c) {
          within = Math.abs(windowByte(native.color.readFloatLE(4 * (3 * i + c))) -
            windowByte(modelColor.readFloatLE(4 * (3 * i + c)))) <= 1;
        }
        if (!within && expected[i] >= 0) ++cameBack;
        if (!within) expected[i] = -2;
        else if (expected[i] === -2) expected[i] = step;
        else if (expected[i] === -1 && inStep) expected[i] = 0;
      }
    }
    let differing = 0, first = -1;
    const counts = new Array(names.length + 1).fill(0);
    for (let i = 0; i < pixels; ++i) {
      if (causes.readInt8(i) !== expected[i]) { if (first < 0) first = i; ++differing; }
      if (expected[i] >= 0) counts[expected[i]]++;
    }
    if (differing > 0) {
      throw new Error(differing + " pixels have another cause, the first at " + first + ": " +
        causes.readInt8(first) + ", expected " + expected[first]);
    }
    check(counts.filter((n) => n > 0).length > 1, "a view of one cause tests little: " + counts);
    check(cameBack > 0, "no pixel differs again after it was within: the first step within " +
      "would do as well");
  },
};

// rasterwork-explain's JSON without the real reference's part, which the
// page cannot have (run without OpenGL, the tool has no reference bytes
// either, so its reference model's step difference is null, as on the page,
// and its why and settling step are told against the model).
function withoutReference(explanation) {
  const copy = Object.assign({}, explanation);
  for (const key of ["reference", "reference_missing", "coverage", "step_difference",
    "reference_implementation"]) {
    delete copy[key];
  }
  return copy;
}

// At a table of pixels (stored by one fragment, by the second of two, by
// none, covered by the reference only, with large lighting terms), the
// story is rasterwork-explain --json's: the same keys in the same order and
// the same values (the why and its settling step among them), without the
// reference's part; the title shown for a pinned pixel begins with the why.
tests["the story at a table of pixels equals rasterwork-explain --json"] = async () => {
  const table = [
    [{ width: 240, height: 240 }, [[60, 130], [39, 167], [0, 0], [102, 169]]],
    [{ width: 240, height: 240, angleZ: -105, angleX: 150 }, [[102, 169], [120, 120]]],
    [{}, [[449, 259], [240, 240], [300, 200], [479, 479]]],
    [{ width: 333, height: 211, angleZ: 33.25, angleX: -89.5, zoom: -3 }, [[166, 105], [200, 60]]],
    [{ angleZ: 90, angleX: -30 }, [[100, 240], [120, 250]]],
  ];
  let pixels = 0, fragments = 0;
  const settling = new Set();
  for (const [view, points] of table) {
    await setView(view);
    for (const [x, y] of points) {
      const native = withoutReference(nativeExplanation(view, x, y));
      checkEqual(await explainOnPage(x, y), native, JSON.stringify(view) + " pixel " + x + ", " + y);
      fragments += native.software.fragments.length;
      settling.add(String(native.settled_by));
      ++pixels;
    }
    const [x, y] = points[0];
    await openPage("#pixel=" + x + "," + y);
    await setView(view);
    const title = await browser.evaluate("rasterwork.storyTitle()");
    const why = withoutReference(nativeExplanation(view, x, y)).why.replace(/`/g, "");
    check(title.startsWith(why + "Pixel " + x + ", " + y + " "), "the title at " + x + ", " + y +
      " is " + JSON.stringify(title) + ", not the why " + JSON.stringify(why));
  }
  check(settling.size >= 3, "the table settles by " + [...settling].join(", ") + " only");
  console.log("      " + pixels + " pixels, " + fragments + " fragments, every key and value " +
    "equal; settled by " + [...settling].join(", "));
};

// The step mode's buffers equal the snapshot tool's cut at the same point
// (a face mid-frame at one of its rows and whole, the last face), and its
// face scan is rasterwork-explain --face --json's, byte for byte.
tests["stepTo's floats equal --stop-after's, and faceScan equals --face --json"] = async () => {
  const run = (expression) => browser.evaluate("JSON.stringify(" + expression + ")").then(JSON.parse);
  let floats = 0;
  for (const view of [{}, { width: 256, height: 200, angleZ: 60, rules: "sampling,vertex" }]) {
    await setView(view);
    const scan = await run("rasterwork.faceScan(1, 57)");
    const native = runTool(options.explain, viewArguments(view).concat(["--gl-platform", "x11",
      "--face", "1:57", "--json"]));
    checkEqual(scan, JSON.parse(native), JSON.stringify(view) + " faceScan(1, 57)");
    check(scan.rows.length > 2, "face 1:57 covers " + scan.rows.length + " rows");
    const middle = scan.rows[scan.rows.length >> 1].y;
    for (const to of [{ object: 1, face: 57, row: middle }, { object: 1, face: 57, row: null },
      { object: 2, face: 143, row: null }]) {
      checkEqual(await run("rasterwork.stepTo(" + JSON.stringify(to) + ")"), to, "step()");
      const cut = to.object + ":" + to.face + (to.row === null ? "" : ":" + to.row);
      floats += await checkFloatsAgainstNative(Object.assign({}, view, { stopAfter: cut }),
        JSON.stringify(view) + " after " + cut);
    }
  }
  // The row button past a face's last row goes on to the next face's first.
  const last = await run("rasterwork.faceScan(2, 10).rows.pop().y");
  await run("rasterwork.stepTo({ object: 2, face: 10, row: " + last + " })");
  await browser.evaluate("document.getElementById('step-row-up').click()");
  checkEqual(await run("rasterwork.step()"), { object: 2, face: 11,
    row: (await run("rasterwork.faceScan(2, 11)")).rows[0].y }, "after the last row of 2:10");
  console.log("      " + floats + " floats at 6 steps of 2 views, all equal");
};

// The magnifier's geometry is the native code's for the same view and
// pixel: each row's active edges' x and its spans are rasterwork-explain
// --face --json's for that face and row, each outline the face's corners,
// the reference's outline the model's snapped corners, each pixel's colour
// and coverage the snapshot tool's pictures (the software one and the
// model). In the step mode it follows the current row, with that face's
// rows alone and the buffers at the step. The canvas is drawn: the edges'
// ticks are on it, the pinned pixel's square holds its colour, and at a
// step only the rows walked have their spans' bars filled.
tests["the magnifier's geometry is the native code's, around the pinned pixel and at a step"] =
async () => {
  const run = (expression) => browser.evaluate("JSON.stringify(" + expression + ")").then(JSON.parse);
  let pixels = 0;
  const checkGeometry = (g, view, what, face = null) => {
    const software = nativeFloats(view);
    const model = nativeFloats(Object.assign({}, view, { rules: "all" }));
    const width = view.width || START.width;
    g.pixels.forEach((p, k) => {
      const x = g.left + k % g.side, y = g.bottom + g.side - 1 - Math.floor(k / g.side), i = y * width + x;
      if (!p.in_frame) return;
      ++pixels;
      checkEqual([p.rgb, p.software, p.reference], [[0, 1, 2].map((c) =>
        windowByte(software.color.readFloatLE(4 * (3 * i + c)))), software.depth.readFloatLE(4 * i) < 1,
      model.depth.readFloatLE(4 * i) < 1], what + " pixel " + x + ", " + y);
    });
    const faces = new Set(g.rows.map((r) => r.object + ":" + r.face));
    check(faces.size > 0 && (face === null || [...faces].join() === face), what + ": rows of " +
      [...faces].join(", "));
    for (const name of faces) {
      const scan = JSON.parse(runTool(options.explain, viewArguments(Object.assign({}, view,
        { stopAfter: null })).concat(["--gl-platform",
        "x11", "--face", name, "--json"])));
      const outline = g.faces.find((f) => f.object + ":" + f.face === name).outline;
      checkEqual(outline, scan.corners.map((c) => c.slice(0, 2)), what + " outline of " + name);
      const inCrop = scan.rows.filter((r) => r.y >= g.bottom && r.y < g.bottom + g.side);
      checkEqual(g.rows.filter((r) => r.object + ":" + r.face === name).map((r) =>
        [r.y, r.edge_x, r.spans]), inCrop.map((r) => [r.y, r.active, r.spans.filter((s) =>
        s.end_column > s.first_column).map((s) => [s.first_column, s.end_column])]),
      what + " rows of " + name);
    }
    return faces.size;
  };
  await openPage("#pixel=136,274");
  const g = await run("rasterwork.magnifier(136, 274)");
  checkEqual([g.x, g.y, g.side, g.left, g.bottom], [136, 274, 15, 129, 267], "the crop");
  checkEqual((await run("rasterwork.magnifier()")).geometry, g, "the geometry shown");
  let faces = checkGeometry(g, {}, "136, 274");
  const story = nativeExplanation({}, 136, 274);
  const modelFace = story.reference_model;
  checkEqual(g.faces.find((f) => f.object === modelFace.object && f.face === modelFace.face)
    .reference_outline, modelFace.snapped_corners, "the reference's outline of the model's face");

  // The canvas: the ticks' colour, and the pinned pixel's colour in most
  // of its square (the dot, the rings and lines leave the rest).
  const drawn = await run(`(() => {
    const canvas = document.getElementById("magnifier-canvas");
    const ratio = canvas.width / canvas.getBoundingClientRect().width;
    const data = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
    const at = (x, y) => Array.from(data.subarray(4 * (y * canvas.width + x), 4 * (y * canvas.width + x) + 3));
    let ticks = 0, same = 0, inner = 0;
    for (let i = 0; i < data.length; i += 4) {
      ticks += data[i] === 255 && data[i + 1] === 128 && data[i + 2] === 0;
    }
    // The square of the pixel in the middle: column 7 of 15, 40 + 7 * 32 from the left.
    for (let y = 8 + 7 * 32 + 8; y < 8 + 8 * 32 - 8; ++y) {
      for (let x = 40 + 7 * 32 + 8; x < 40 + 8 * 32 - 8; ++x, ++inner) {
        same += at(Math.round(x * ratio), Math.round(y * ratio)).join() === "${g.pixels[7 * 15 + 7].rgb.join()}";
      }
    }
    return { ticks, same, inner };
  })()`);
  check(drawn.ticks > 20, "no ticks drawn: " + drawn.ticks);
  check(drawn.same > drawn.inner / 2, drawn.same + " of " + drawn.inner + " points of the pinned " +
    "pixel's square show its colour");

  const view = { width: 256, height: 200, angleZ: 60, rules: "sampling,vertex" };
  await setView(view);
  const scan = await run("rasterwork.faceScan(1, 57)");
  const row = scan.rows[scan.rows.length >> 1];
  await run("rasterwork.stepTo({ object: 1, face: 57, row: " + row.y + " })");
  const shown = await run("rasterwork.magnifier()");
  checkEqual([shown.where.y, shown.where.step], [row.y, { object: 1, face: 57, row: row.y }],
    "the magnifier at the step");
  faces += checkGeometry(shown.geometry, Object.assign({ stopAfter: "1:57:" + row.y }, view),
    "the step to 1:57:" + row.y, "1:57");
  // Along the middle of each span's bar: the bar's colour over the pixels
  // on the rows walked, the pixels themselves on the rows still to walk,
  // whose spans are only outlined.
  const bars = await run(`(() => {
    const g = ${JSON.stringify(shown.geometry)};
    const canvas = document.getElementById("magnifier-canvas");
    const ratio = canvas.width / canvas.getBoundingClientRect().width;
    const data = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
    const X = (fx) => 40 + (fx - g.left) * 32, Y = (fy) => 8 + (g.bottom + g.side - fy) * 32;
    return g.rows.filter((r) => r.spans.length).map((r) => {
      let points = 0, barColoured = 0;
      for (const [first, end] of r.spans) {
        const from = Math.max(X(first), 40) + 4, to = Math.min(X(end), 40 + 32 * g.side) - 4;
        for (let x = from; x < to; ++x, ++points) {
          const i = 4 * (Math.round(Y(r.y + 0.5) * ratio) * canvas.width + Math.round(x * ratio));
          barColoured += data[i] <= 60 && data[i + 1] >= 150 && data[i + 2] >= 160;
        }
      }
      return { y: r.y, points, barColoured };
    });
  })()`);
  const walked = bars.filter((b) => b.y <= row.y), toWalk = bars.filter((b) => b.y > row.y);
  check(walked.length > 0 && toWalk.length > 0, "bars on rows walked and still to walk: " +
    JSON.stringify(bars));
  for (const b of bars) {
    check(b.y <= row.y ? b.barColoured > b.points * 0.9 : b.barColoured < b.points * 0.1,
      "row " + b.y + " after the step to row " + row.y + ": " + b.barColoured + " of " + b.points +
      " points along its bars in the bar's colour");
  }
  console.log("      " + faces + " faces' rows and outlines and " + pixels + " pixels equal the tools'");
};

require("./webgl_tests.js")(tests, {
  options, browser: () => browser, setView, pageBytes, pageView, nativeFloats, windowByte, check,
  checkEqual, VIEW_TABLE,
});

async function main() {
  fs.mkdirSync(options.failures, { recursive: true });
  browser = await Browser.start(options.graphics);
  let failed = 0, ran = 0;
  try {
    for (const [name, test] of Object.entries(tests)) {
      if (options.only && !name.includes(options.only)) continue;
      ++ran;
      const started = Date.now();
      try {
        await openPage();
        await test();
        console.log("PASS  " + name + " (" + (Date.now() - started) + " ms)");
      } catch (error) {
        ++failed;
        const shot = path.join(options.failures, name.replace(/[^a-z0-9]+/gi, "-") + ".png");
        let saved = "";
        try {
          await browser.screenshot(shot);
          saved = "; screenshot " + shot;
        } catch (screenshotError) {
          saved = "; no screenshot: " + screenshotError.message;
        }
        console.log("FAIL  " + name + ": " + error.message + saved);
      }
    }
  } finally {
    await browser.close();
    fs.rmSync(scratch, { recursive: true, force: true });
  }
  console.log((ran - failed) + " of " + ran + " browser tests passed");
  return failed === 0 && ran > 0;
}

main().then((ok) => process.exit(ok ? 0 : 1), (error) => {
  console.error("page_tests: " + (error.stack || error));
  process.exit(1);
});
