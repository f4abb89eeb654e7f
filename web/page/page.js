"use strict";
// The page around the WebAssembly module: input as the viewer takes it, the
// three panels, the pixel's story, the link, and window.rasterwork, the hook
// tests drive the page through.
(function () {
  const START_VIEW = { angleZ: -135, angleX: -60, zoom: 0.25, panX: 0, panY: 0 };
  const START_SIZE = { width: 480, height: 480 };
  const STAGES = ["colour", "depth", "faces", "fragments"];
  const MAPS = ["difference", "causes"];
  const REFERENCES = ["webgl", "model"];  // what the middle panel shows
  const HEAT_STOPS = [[0, 0, 0], [180, 0, 0], [255, 140, 0], [255, 255, 170]];
  const FRAGMENT_COLOURS = ["#313695", "#4575b4", "#74add1", "#fee090", "#fdae61", "#f46d43",
    "#d73027", "#a50026"];
  const PURPOSE = "Compare its picture with a model of OpenGL pixel by pixel, point at any " +
    "pixel to hear why it is what it is, and step through the frame face by face and row by row.";
  const FAST_PATH_NOTE = "The software picture is drawn by the fast path on WebAssembly's SIMD " +
    "lanes, or by the plain path under the reference's rules; a pixel's story is the plain " +
    "path's walk of its row. Both give the same bits.";

  const state = {
    view: Object.assign({}, START_VIEW),
    width: START_SIZE.width,
    height: START_SIZE.height,
    rules: 0,        // bit i: rule i of the ladder
    grid: 8,         // the subpixel rule's sub-pixel bits, 1 to 8
    stage: 0,        // index into STAGES
    map: 0,          // index into MAPS
    reference: 0,    // index into REFERENCES; the model where WebGL2 cannot be had
    pixel: null,     // {x, y}, row 0 at the bottom
    pinned: false,
  };
  // The last update's times (ms): all of it, and its parts.
  const timing = { update: 0, draw: 0, webgl: 0, panels: 0, story: 0, history: [] };
  let wasm = null;
  let ruleNames = [];
  const causeColours = [];  // per ladder step, "#rrggbb", from the module
  let queued = null;  // the update asked for: null, "story" or "frame"
  let linkTimer = 0;
  let drawn = false;
  let lastDrawn = null;  // the state of the last frame drawn
  let refused = "";  // why the last update's frame was refused, or ""
  let ringShown = false;
  let notchesPending = 0;  // wheel notches not yet whole
  let stepMode = null;  // step_mode.js, once the module runs
  let magnifier = null;  // magnifier.js, once the module runs
  // The last WebGL picture: r, g, b, a bytes per pixel, rows from the
  // bottom; null when the last frame had none.
  let webglBytes = null;
  let webglFailure = "";  // why the last frame has no WebGL picture, or ""
  let fitted = null;  // the rules fitted to the WebGL picture, {rules, grid, ...}, or null
  let fitting = null;  // the fit under way, a promise

  const $ = (id) => document.getElementById(id);
  // An element's text or markup is set only when it changes: the same value
  // set again still makes the browser parse it, restyle and lay it out.
  const shownContent = new WeakMap();
  const setContent = (id, property, value) => {
    const element = $(id);
    if (shownContent.get(element) === property + value) return;
    element[property] = value;
    shownContent.set(element, property + value);
  };
  const setText = (id, text) => setContent(id, "textContent", text);
  const setHtml = (id, html) => setContent(id, "innerHTML", html);
  const canvases = ["software-canvas", "model-canvas", "map-canvas"].map($);

  // ---- numbers as the tools read them -------------------------------------

  // A view value after a pointer movement, as the viewer adds it: the sum in
  // double, stored as a float.
  function addPixels(value, pixels) {
    return Math.fround(value + pixels);
  }

  // An update asks for the texts of the same few values some twenty times:
  // each is asked of the module once (-0 apart from 0, which a Map takes
  // for the same key).
  const floatTexts = new Map();
  function floatText(value) {
    const key = Object.is(value, -0) ? "-0" : value;
    let text = floatTexts.get(key);
    if (text === undefined) {
      if (floatTexts.size >= 256) floatTexts.clear();
      text = wasm.UTF8ToString(wasm._rw_float_text(value));
      floatTexts.set(key, text);
    }
    return text;
  }

  // The float strtof reads from the text, NaN for none.
  function floatFromText(text) {
    return wasm.ccall("rw_float_from_text", "number", ["string"], [text]);
  }

  const DEFAULT_GRID = 8;  // plain "subpixel": llvmpipe's 1/256 pixel

  // The rules as --like-reference takes them; a grid other than the default
  // as subpixel=BITS.
  function rulesText(rules, grid = state.grid) {
    if (rules === (1 << ruleNames.length) - 1 && grid === DEFAULT_GRID) return "all";
    const on = ruleNames.filter((name, i) => rules & (1 << i)).map((name) =>
      name === "subpixel" && grid !== DEFAULT_GRID ? name + "=" + grid : name);
    return on.length ? on.join(",") : "none";
  }

  // The rules as the module takes them: the grid in bits 8 to 11.
  const encodedRules = (rules, grid) => rules | grid << 8;

  // "all", "none", a comma-separated list or an array of names, of which
  // one may be subpixel=BITS (1 to 8): {rules, grid}; null for an unknown
  // name.
  function parseRules(given) {
    if (given === undefined || given === null) return null;
    if (typeof given === "number") return { rules: given, grid: DEFAULT_GRID };
    const names = Array.isArray(given) ? given : String(given).split(",").filter((n) => n);
    if (names.length === 1 && names[0] === "all") {
      return { rules: (1 << ruleNames.length) - 1, grid: DEFAULT_GRID };
    }
    if (names.length === 1 && names[0] === "none") return { rules: 0, grid: DEFAULT_GRID };
    let rules = 0, grid = DEFAULT_GRID, grids = 0;
    for (let name of names) {
      const bits = /^subpixel=([1-8])$/.exec(name);
      if (bits) {
        name = "subpixel";
        grid = Number(bits[1]);
        ++grids;
      }
      const i = ruleNames.indexOf(name);
      if (i < 0 || grids > 1) return null;
      rules |= 1 << i;
    }
    return { rules, grid };
  }

  // ---- drawing ---------------------------------------------------------------

  function heatColour(steps) {
    const s = Math.min(Math.max(steps, 0), 255);
    const segment = Math.min(Math.floor(s / 85), 2);
    const from = HEAT_STOPS[segment], to = HEAT_STOPS[segment + 1];
    return "rgb(" + from.map((f, c) => f + Math.trunc((to[c] - f) * (s - segment * 85) / 85)) + ")";
  }

  function swatch(colour) {
    return '<span class="swatch" style="background:' + colour + '"></span>';
  }

  function heapView(Type, pointer, length) {
    return new Type(wasm.HEAPU8.buffer, pointer, length);
  }

  function putPanel(canvas, pointer) {
    const w = state.width, h = state.height;
    const bytes = heapView(Uint8ClampedArray, pointer, w * h * 4);
    canvas.getContext("2d").putImageData(new ImageData(bytes, w, h), 0, 0);
  }

  // The reference's grid the magnifier draws its outline on: the fitted
  // one against a WebGL picture once the rules are fitted (none where the fit
  // takes no grid), llvmpipe's 1/256 pixel otherwise, as the model's.
  function magnifierGrid() {
    if (!comparesWithWebgl() || !fitted) return DEFAULT_GRID;
    return fitted.rules & (1 << ruleNames.indexOf("subpixel")) ? fitted.grid : 0;
  }

  // Whether the last frame compares with its WebGL picture.
  const comparesWithWebgl = () => REFERENCES[state.reference] === "webgl" && webglBytes !== null;

  // Draws the WebGL picture of the frame just drawn and compares the software
  // picture with it; where it cannot be had, with the model, saying why.
  function drawWebgl() {
    webglBytes = null;
    webglFailure = "";
    if (REFERENCES[state.reference] !== "webgl") {
      wasm._rw_compare_with(0);
      return;
    }
    try {
      webglBytes = rasterworkWebgl.draw(wasm, state.view, state.width, state.height);
      heapView(Uint8Array, wasm._rw_reference_bytes(), webglBytes.length).set(webglBytes);
      if (wasm._rw_compare_with(1) !== 1) throw new Error("the module did not take its bytes");
    } catch (error) {
      webglBytes = null;
      webglFailure = "No WebGL picture (" + error.message + "): the middle panel shows the " +
        "reference model.";
      wasm._rw_compare_with(0);
    }
  }

  // A ring around the pinned pixel, on the pixels next to it.
  function ringPinned(canvas) {
    ringShown = state.pinned && state.pixel !== null;
    if (!ringShown) return;
    const context = canvas.getContext("2d");
    const top = state.height - 1 - state.pixel.y;
    context.strokeStyle = "#ff00ff";
    context.lineWidth = 1;
    context.strokeRect(state.pixel.x - 1.5, top - 1.5, 4, 4);
  }

  function present() {
    if (!stepMode || !stepMode.present(canvases[0])) {
      putPanel(canvases[0], wasm._rw_stage_panel(state.stage));
    }
    if (comparesWithWebgl()) {
      // The WebGL picture as the module took it: top row first and opaque,
      // white where nothing was drawn, as the window clears it.
      putPanel(canvases[1], wasm._rw_given_panel());
    } else {
      putPanel(canvases[1], wasm._rw_model_panel());
    }
    putPanel(canvases[2], wasm._rw_map_panel(state.map));
    canvases.forEach(ringPinned);
    if (magnifier) magnifier.show();
  }

  function sizeCanvases() {
    for (const canvas of canvases) {
      if (canvas.width !== state.width) canvas.width = state.width;
      if (canvas.height !== state.height) canvas.height = state.height;
    }
  }

  // The whole update after an input: both pictures drawn again ("frame"),
  // or, when only the pixel changed, both stories told again ("story"); then
  // the panels, the story and the numbers shown.
  function update() {
    const kind = queued;
    queued = null;
    if (kind === null) return;
    const start = performance.now();
    refused = "";
    if (kind === "frame") {
      drawn = drawState();
      if (!drawn && lastDrawn) {
        // A frame that cannot be drawn is refused: the one before comes back.
        refused = cannotDrawText();
        Object.assign(state, lastDrawn, { view: Object.assign({}, lastDrawn.view) });
        drawn = drawState();
      }
    } else if (drawn) {
      const pixel = state.pixel || { x: -1, y: -1 };
      drawn = wasm._rw_tell(pixel.x, pixel.y) === 1;
    }
    const drawEnd = performance.now();
    // The view's numbers, the commands and the link follow every input,
    // whatever happens after.
    showNumbers();
    if (!drawn) {
      $("status").textContent = cannotDrawText();
      $("status").className = "failed";
      return;
    }
    lastDrawn = { view: Object.assign({}, state.view), width: state.width,
      height: state.height, rules: state.rules, grid: state.grid, pixel: state.pixel,
      pinned: state.pinned };
    if (refused) {
      refuse(refused);
    } else {
      $("status").textContent = PURPOSE;
      $("status").title = FAST_PATH_NOTE;
      $("status").className = "";
    }
    let webglTime = 0;
    let panelsStart = performance.now();
    if (kind === "frame") {
      drawWebgl();
      const webglEnd = performance.now();
      webglTime = webglEnd - panelsStart;
      panelsStart = webglEnd;
      if (webglFailure && !refused) {
        $("status").textContent = webglFailure;
        $("status").className = "failed";
      }
      sizeCanvases();
      stepMode.viewChanged();
      present();
      showCaptions();
    } else if (state.pinned || ringShown) {
      present();  // the ring around a pinned pixel moves or goes
    } else {
      magnifier.show();  // it follows the pixel under the pointer
    }
    const storyStart = performance.now();
    try {
      showStory();
    } catch (error) {
      $("story-body").textContent = "The story of this pixel cannot be shown: " + error;
    }
    const end = performance.now();
    timing.update = end - start;
    timing.draw = drawEnd - start;
    timing.webgl = webglTime;
    timing.panels = storyStart - panelsStart;
    timing.story = end - storyStart;
    timing.history.push(timing.update);
    if (timing.history.length > 30) timing.history.shift();
    const sorted = timing.history.slice().sort((a, b) => a - b);
    $("frame-time").textContent = "update " + timing.update.toFixed(1) + " ms (drawing " +
      timing.draw.toFixed(1) + " ms); median of the last " + sorted.length + ": " +
      sorted[Math.floor(sorted.length / 2)].toFixed(1) + " ms";
  }

  // Draws both pictures of the state, telling the story of its pixel; true
  // when drawn.
  function drawState() {
    const v = state.view;
    const pixel = state.pixel || { x: -1, y: -1 };
    // Against a WebGL picture the model is drawn only if something asks for it.
    const withModel = REFERENCES[state.reference] === "webgl" ? 0 : 1;
    return wasm._rw_draw(v.angleZ, v.angleX, v.zoom, v.panX, v.panY, state.width,
      state.height, encodedRules(state.rules, state.grid), pixel.x, pixel.y, withModel) === 1;
  }

  function cannotDrawText() {
    return "Cannot draw a " + state.width + " x " + state.height +
      " frame: sizes run from 1 to " + wasm._rw_largest_side() +
      " per side, and the memory must suffice.";
  }

  // Says why an input was refused; the view stays as it was, and so does
  // the link in the address bar.
  function refuse(message) {
    $("status").textContent = message;
    $("status").className = "failed";
    clearTimeout(linkTimer);
    history.replaceState(null, "", "#" + linkText());
  }

  // Lets go of a pixel outside the frame.
  function keepPixelInFrame() {
    if (state.pixel && (state.pixel.x >= state.width || state.pixel.y >= state.height)) {
      state.pixel = null;
      state.pinned = false;
    }
  }

  // Asks for an update at the next animation frame; a frame covers a story.
  function requestUpdate(kind = "frame") {
    const first = queued === null;
    if (queued !== "frame") queued = kind;
    if (first) requestAnimationFrame(update);
  }

  // ---- what the page shows around the panels ---------------------------------

  function commandOptions() {
    const v = state.view;
    let text = "--width " + state.width + " --height " + state.height +
      " --angle-z " + floatText(v.angleZ) + " --angle-x " + floatText(v.angleX) +
      " --zoom " + floatText(v.zoom) + " --pan-x " + floatText(v.panX) +
      " --pan-y " + floatText(v.panY);
    return text;
  }

  function showNumbers() {
    const v = state.view;
    setText("angle-z", floatText(v.angleZ));
    setText("angle-x", floatText(v.angleX));
    setText("zoom", floatText(v.zoom));
    setText("pan-x", floatText(v.panX));
    setText("pan-y", floatText(v.panY));
    if (document.activeElement !== $("width")) $("width").value = state.width;
    if (document.activeElement !== $("height")) $("height").value = state.height;
    const rules = state.rules ? " --like-reference " + rulesText(state.rules) : "";
    setText("command-snapshot", "rasterwork-snapshot " + commandOptions() + rules +
      " --png software.png --color-pfm color.pfm --depth-pfm depth.pfm");
    const pixel = state.pixel || { x: state.width >> 1, y: state.height >> 1 };
    setText("command-explain", "rasterwork-explain " + commandOptions() + " " +
      pixel.x + " " + pixel.y);
    ruleNames.forEach((name, i) => {
      $("rule-" + name).checked = (state.rules & (1 << i)) !== 0;
    });
    const step = ladderStep(), steps = ladderSteps(), top = steps.length - 1;
    setText("ladder-step", (step === null ? "(not a ladder step)"
      : step === 0 ? "0 of " + top + ": specified"
      : step + " of " + top + ": + " + steps[step].added) +
      (fitted ? " (the rules fitted to the WebGL picture)" : ""));
    $("link").href = "#" + linkText();
    clearTimeout(linkTimer);
    linkTimer = setTimeout(() => history.replaceState(null, "", "#" + linkText()), 300);
  }

  function showCaptions() {
    const rules = rulesText(state.rules);
    setHtml("software-caption", "<strong>Software renderer</strong> (" +
      (rules === "none" ? "fast" : "plain") + " path), rules: " + rules + ". " + stageLegend());
    showMiddleCaption();
    const d = heapView(Float64Array, wasm._rw_difference(), 5);
    const other = comparesWithWebgl() ? "WebGL" : "model";
    if (MAPS[state.map] === "difference") {
      setHtml("map-caption", "<strong>Difference</strong>, software against the " +
        (comparesWithWebgl() ? "WebGL picture" : "model") + ":" +
        swatch("rgb(0,110,255)") + "software only " + d[1] +
        swatch("rgb(0,170,0)") + other + " only " + d[2] + swatch("#000") + "both " + d[0] +
        ", the largest channel difference in 8-bit steps from " + swatch(heatColour(0)) + "0 to " +
        swatch(heatColour(255)) + "255; over one step: " + d[3] + ", largest " + d[4] + ".");
    } else {
      const causes = heapView(Int8Array, wasm._rw_causes(), state.width * state.height);
      // Steps 0 to the rule count, then the pixels no step brings within.
      const counts = new Array(ruleNames.length + 2).fill(0);
      for (const cause of causes) if (cause >= 0) counts[cause]++;
      const other = comparesWithWebgl() ? "the WebGL picture" : "the model";
      setHtml("map-caption", "<strong>Causes</strong>: each pixel covered by " + other +
        " or by the software picture at some step, by the first step of the ladder from which " +
        "on the software picture stays within one step of " + other + " there:" +
        counts.map((count, step) =>
          swatch(causeColours[step]) + (step === 0 ? "specified"
            : step > ruleNames.length ? "unexplained"
            : step === ruleNames.length ? rulesText(1 << (step - 1), fitted ? fitted.grid
              : DEFAULT_GRID) : ruleNames[step - 1]) + " " + count).join(" ") + ".");
    }
  }

  const MODEL_CAPTION = "<strong>Reference model</strong>: the same software renderer under " +
    "all of the OpenGL reference's rules. A model of OpenGL, not OpenGL: checked natively " +
    "against Mesa's llvmpipe (<code>rasterwork-compare --like-reference all</code>), it covers " +
    "the same pixels with no channel more than one step apart in the start-up view and in a " +
    "turntable of 36 views at 480 x 480; over a 12 x 12 grid of views at 240 x 240, 142 views " +
    "match and two differ by one pixel each, covered by OpenGL only.";

  function webglName() {
    const i = rasterworkWebgl.info;
    return escapeHtml(i.vendor) + ", " + escapeHtml(i.renderer) +
      (i.unmasked ? "" : " (the names the browser shows; it hides the unmasked ones)");
  }

  function showMiddleCaption() {
    setHtml("model-caption", comparesWithWebgl() ?
      "<strong>WebGL picture</strong>, drawn by " + webglName() + ": the scene through the " +
      "browser's WebGL2, with OpenGL 1.x's lighting equations in GLSL (lit at the corners in " +
      "eye space, smooth over each polygon as a fan from its first corner, depth test LESS, the " +
      "tools' matrices). Its pixels (coverage, interpolation, precision) are the browser's own."
      : MODEL_CAPTION + (webglFailure ? " " + escapeHtml(webglFailure) : ""));
  }

  function stageLegend() {
    switch (STAGES[state.stage]) {
      case "depth": {
        const depth = heapView(Float32Array, wasm._rw_software_depth(), state.width * state.height);
        let near = Infinity, far = -Infinity;
        for (const z of depth) if (z < 1) { near = Math.min(near, z); far = Math.max(far, z); }
        return near === Infinity ? "Depth: nothing stored." :
          "Depth buffer: " + swatch("#fff") + "near " + near.toFixed(6) + " to " +
          swatch("rgb(48,48,48)") + "far " + far.toFixed(6) + ", black where nothing was stored.";
      }
      case "faces":
        return "Faces: one colour per face, its object's hue at seven lightnesses.";
      case "fragments":
        return "Fragments that reached each pixel's depth test:" +
          FRAGMENT_COLOURS.map((c, i) => swatch(c) + (i + 1) + (i === 7 ? "+" : "")).join(" ");
      default:
        return "";
    }
  }

  // The ladder's steps, {rules, grid, added}: from none, each rule of the
  // set fitted to the WebGL picture in ladder order (every rule, at
  // llvmpipe's grid, before a fit).
  function ladderSteps() {
    const steps = [{ rules: 0, grid: DEFAULT_GRID, added: "" }];
    let rules = 0;
    ruleNames.forEach((name, i) => {
      if (fitted && !(fitted.rules & (1 << i))) return;
      rules |= 1 << i;
      const grid = fitted ? fitted.grid : DEFAULT_GRID;
      steps.push({ rules, grid, added: rulesText(1 << i, grid) });
    });
    return steps;
  }

  function ladderStep() {
    const steps = ladderSteps();
    for (let step = 0; step < steps.length; ++step) {
      const s = steps[step];
      const gridMatters = (s.rules & (1 << ruleNames.indexOf("subpixel"))) !== 0;
      if (state.rules === s.rules && (!gridMatters || state.grid === s.grid)) return step;
    }
    return null;
  }

  // ---- the rules fitted to the WebGL picture -----------------------------------

  const FIT_TURNTABLE_VIEWS = 12;

  // The views a fit is made over by default, as the compare tool's
  // --fit-rules: the view and a turntable of 12 about Z, half a step on.
  function defaultFitViews() {
    const views = [Object.assign({ width: state.width, height: state.height }, state.view)];
    for (let k = 0; k < FIT_TURNTABLE_VIEWS; ++k) {
      views.push(Object.assign({}, views[0],
        { angleZ: Math.fround(state.view.angleZ + 360 * (k + 0.5) / FIT_TURNTABLE_VIEWS) }));
    }
    return views;
  }

  const lessScore = (a, b) => a.differing !== b.differing ? a.differing < b.differing
    : a.steps < b.steps;
  const nextTurn = () => new Promise((resolve) => setTimeout(resolve, 0));

  // Fits the rules greedily, as the compare tool's --fit-rules does, to the
  // WebGL pictures of `views`: from none, each rule in ladder order is tried
  // on top of those taken and taken unless it leaves more (perspective only
  // after vertex, which it refines); then every grid, none and 8 down to 1
  // bits, and the one that leaves least (of equals no grid, then the
  // finest). One scoring per turn of the event loop, so the page stays live.
  async function fitRules(views) {
    const pictures = views.map((v) =>
      rasterworkWebgl.draw(wasm, v, v.width, v.height));
    const covered = pictures.reduce((sum, bytes) => {
      for (let i = 3; i < bytes.length; i += 4) if (bytes[i] !== 0) ++sum;
      return sum;
    }, 0);
    const score = async (rules, grid) => {
      const total = { differing: 0, steps: 0 };
      for (let i = 0; i < views.length; ++i) {
        const v = views[i];
        heapView(Uint8Array, wasm._rw_fit_bytes(v.width * v.height), pictures[i].length)
          .set(pictures[i]);
        const at = wasm._rw_fit_score(v.angleZ, v.angleX, v.zoom, v.panX, v.panY, v.width,
          v.height, encodedRules(rules, grid));
        if (at === 0) throw new Error("the software picture of a view cannot be drawn");
        const figures = heapView(Float64Array, at, 2);
        total.differing += figures[0];
        total.steps += figures[1];
        await nextTurn();
      }
      return total;
    };
    const subpixel = ruleNames.indexOf("subpixel");
    const trials = [];
    let taken = 0;
    let current = await score(0, DEFAULT_GRID);
    for (let i = 0; i < subpixel; ++i) {
      const trial = { rule: ruleNames[i], tried: false, without: current, with: current,
        taken: false };
      trials.push(trial);
      if (ruleNames[i] === "perspective" && !(taken & (1 << ruleNames.indexOf("vertex")))) {
        continue;
      }
      trial.tried = true;
      trial.with = await score(taken | 1 << i, DEFAULT_GRID);
      trial.taken = !lessScore(trial.without, trial.with);
      if (trial.taken) {
        taken |= 1 << i;
        current = trial.with;
      }
    }
    const grids = [current];
    let best = 0;
    for (let bits = 8; bits >= 1; --bits) {
      grids[bits] = await score(taken | 1 << subpixel, bits);
      if (lessScore(grids[bits], grids[best])) best = bits;
    }
    const rules = best ? taken | 1 << subpixel : taken;
    const grid = best || DEFAULT_GRID;
    return { rules, grid, fitted_rules: rulesText(rules, grid), trials, grids, views: views.length,
      covered, differing: grids[best].differing, renderer: rasterworkWebgl.info.renderer };
  }

  function fitText(fit) {
    return "Fitted to " + fit.renderer + " over " + fit.views + " views: " + fit.fitted_rules +
      "; it leaves " + fit.differing + " of " + fit.covered + " covered pixels differing (" +
      (100 * fit.differing / Math.max(fit.covered, 1)).toFixed(3) + "%). Per rule, the " +
      "differing pixels without and with it: " + fit.trials.map((t) => t.rule + " " +
        (t.tried ? t.without.differing + " / " + t.with.differing + (t.taken ? " taken" : "")
          : "not tried")).join(", ") + "; per grid, none then 1 to 8 bits: " +
      fit.grids.map((g) => g.differing).join(" ") + ".";
  }

  // Fits over `views` (the default ones when none are given) and lets the
  // ladder climb the fitted set.
  function startFit(views) {
    if (fitting) return fitting;
    if (!rasterworkWebgl.info.webgl2) {
      return Promise.reject(new Error("no WebGL picture to fit to: " + rasterworkWebgl.info.reason));
    }
    $("fit-rules").disabled = true;
    $("fit-result").textContent = "Fitting the rules to the WebGL picture…";
    fitting = fitRules(views || defaultFitViews()).then((fit) => {
      fitted = fit;
      $("fit-result").textContent = fitText(fit);
      // The cause map's last step takes the fitted grid.
      wasm._rw_set_ladder_grid(fit.rules & (1 << ruleNames.indexOf("subpixel")) ? fit.grid : 0);
      requestUpdate();
      return fit;
    }, (error) => {
      $("fit-result").textContent = "The fit failed: " + error.message;
      throw error;
    }).finally(() => {
      fitting = null;
      $("fit-rules").disabled = false;
    });
    return fitting;
  }

  // ---- the pixel's story -----------------------------------------------------

  function explainObject(x, y) {
    return JSON.parse(wasm.UTF8ToString(wasm._rw_explain_json(x, y)));
  }

  // The story of the pixel asked for last: rasterwork-explain's object,
  // without the real reference's part; null for none.
  function toldStory() {
    return JSON.parse(wasm.UTF8ToString(wasm._rw_story_json()));
  }

  const escapeHtml = (text) => String(text).replace(/[&<>"]/g,
    (c) => ({ "&": "&amp;", "<": "&lt;", ">": "&gt;", '"': "&quot;" })[c]);
  const numbers = (values) => values.map((v) => v === null ? "none" : v).join(" ");
  const vector = (values) => "(" + values.map((v) => v === null ? "none" : v).join(", ") + ")";
  // The window depth OpenGL's default depth range gives a device z, to nine
  // significant digits.
  const windowDepth = (z) => z === null ? "none" : Number((0.5 * z + 0.5).toPrecision(9));

  // The story's terms, as docs/stages.md defines them, shown as tooltips.
  const TERMS = {
    world: "World space: the scene's own coordinates, in which the vertex positions and the " +
      "light positions are stored; the software lights every pixel here.",
    eye: "Eye space: the coordinates after the view transform, the eye at the origin looking " +
      "down -z; the reference model lights each face's corners here.",
    diffuse: "Diffuse factor: the normal's dot product with the direction to the light, " +
      "clamped at 0; it scales the material's diffuse colour.",
    base: "Specular base: the dot product of the half vector (halfway between the directions " +
      "to the eye and to the light) with the normal, not clamped.",
    factor: "Factor (specular factor): the specular base raised to the material's shininess; " +
      "it scales the material's specular colour.",
    adds: "Adds (x colour): what the term adds to the colour, times the light's colour; the " +
      "ambient term plus every light's adds, in order, is the pixel's colour.",
  };
  const term = (text, key) => '<abbr title="' + TERMS[key] + '">' + text + "</abbr>";

  function termsHtml(fragment) {
    const t = fragment.terms;
    let html = "<table class=terms><tr><th>renormalised normal</th><td>" + vector(t.normal) +
      "</td></tr><tr><th>" + term("world position", "world") + "</th><td>" + vector(t.position) +
      "</td></tr><tr><th>eye direction</th><td>" + vector(t.eye_direction) +
      "</td></tr><tr><th>ambient (r g b)</th><td>" + numbers(t.ambient) + "</td></tr>";
    t.lights.forEach((l, i) => {
      html += "<tr><th>light " + i + "</th><td>colour " + numbers(l.light_color) +
        ", direction " + vector(l.direction) + "</td></tr>" +
        "<tr><th>diffuse</th><td>" + term("factor", "diffuse") + " " + l.diffuse_factor + ", " +
        term("adds", "adds") + " " +
        numbers(l.diffuse_part) + "</td></tr>" +
        "<tr><th>specular</th><td>half vector " + vector(l.half_vector) + ", " +
        term("base", "base") + " " + l.specular_base + ", " + term("factor", "factor") + " " +
        l.specular_factor + ", " + term("adds", "adds") + " " +
        numbers(l.specular_part) + "</td></tr>";
    });
    return html + "<tr><th>colour (r g b)</th><td>" + numbers(fragment.color) +
      "</td></tr></table>";
  }

  // The software picture's side: every fragment in draw order with its
  // depth test (and, except under the vertex rule, its lighting terms), what the buffers
  // hold, and for a pixel no fragment reached, the spans nearest to it.
  function softwareHtml(s, row) {
    let html = "<h3>Software renderer, rules: " + rulesText(state.rules) + "</h3><p>" +
      s.fragments.length + " fragment(s) reached the depth test</p><ol>";
    for (const f of s.fragments) {
      html += "<li>object " + f.object + " (" + escapeHtml(f.object_name) + "), face " + f.face +
        "<br>span x " + f.span.left + " to " + f.span.right + ", columns " +
        f.span.first_column + " to " + (f.span.end_column - 1) + "<br>depth " + f.depth +
        " tested against " + f.depth_before + ": " + (f.passed ? "<span class=passed>passed</span>"
          : "<span class=failed>failed</span>") + (f.replaced ? ", later replaced" : "") +
        (f.terms ? termsHtml(f) : "") + "</li>";
    }
    html += "</ol>";
    if (s.fragments.length === 0 && s.nearest_spans && !s.nearest_spans.length) {
      html += "<p>No span on row " + row + " comes near.</p>";
    }
    if (s.fragments.length === 0 && s.nearest_spans && s.nearest_spans.length) {
      html += "<p>Nearest spans on this row: " + s.nearest_spans.map((n) =>
        "object " + n.object + " face " + n.face + ", x " + n.left + " to " + n.right +
        " (columns " + n.first_column + " to " + (n.end_column - 1) + ")").join("; ") + "</p>";
    }
    if (s.centre_distance !== undefined && s.centre_distance !== null) {
      html += "<p>Pixel centre " + s.centre_distance.toPrecision(4) +
        " pixels inside the nearest outline (negative: outside)</p>";
    }
    const v = s.vertex_stage;
    if (v) {
      html += "<p>Vertex stage of object " + v.object + ", face " + v.face + ": corners on the " +
        "screen (x, y, depth) " + v.screen_corners.map(vector).join(" ") + "; edges on this " +
        "row: " + v.edges_on_row.map((e) => "x " + e.x + ", " + e.dxdy + " per row (rows " +
          e.y_start + " to " + e.y_end + ")").join("; ") + "</p>";
    }
    return html + "<table><tr><th>stored colour (r g b a)</th><td>" + numbers(s.color) +
      "</td></tr><tr><th>depth (device z)</th><td>" + s.depth +
      "</td></tr><tr><th>window depth (0 to 1)</th><td>" + windowDepth(s.depth) +
      "</td></tr><tr><th>window bytes (r g b)</th><td>" + numbers(s.window_bytes) +
      "</td></tr></table>";
  }

  // The reference model's side: the face drawn there under every rule, its
  // fan triangle, the corners lit in eye space, the weights and the colour
  // they mix, as the window shows it.
  function modelHtml(m) {
    let html = "<h3>Reference model (all rules: lit at the corners, a fan of triangles, " +
      "perspective-correct colours, centre sampling, the 1/256-pixel grid)</h3>";
    if (m.object === null) return html + "<p>No face reaches the screen.</p>";
    html += "<p>" + (m.covered ? "covered by" : "not covered; nearest") + " object " + m.object +
      ", face " + m.face + "; pixel centre " + m.centre_distance.toPrecision(4) +
      " pixels inside its outline (negative: outside)</p>";
    html += "<p>fan triangle of corners " + m.triangle.join(", ") + "</p><table>" +
      "<tr><th>corner</th><th>" + term("eye position", "eye") + "</th><th>eye normal</th><th>lit colour (r g b a)</th>" +
      "</tr>" + m.corners.map((c) => "<tr><td>" + c.index + "</td><td>" + vector(c.eye_position) +
        "</td><td>" + vector(c.eye_normal) + "</td><td>" + numbers(c.color) + "</td></tr>")
        .join("") + "</table>";
    const weights = (w) => w.map((v) => v.toPrecision(9)).join(" ");
    const background = m.covered ? "" : " (not covered: the background)";
    return html + "<table><tr><th>weights, screen-linear</th><td>" + weights(m.screen_weights) +
      "</td></tr><tr><th>weights, perspective-correct</th><td>" + weights(m.weights) +
      "</td></tr><tr><th>colour (r g b a)</th><td>" + numbers(m.color) + background +
      "</td></tr><tr><th>window bytes (r g b)</th><td>" + numbers(m.window_bytes) + background +
      "</td></tr></table>";
  }

  // The WebGL picture's side: its bytes at the pixel.
  function webglHtml(x, y) {
    let html = "<h3>WebGL picture (" + webglName() + ")</h3>";
    if (!webglBytes) return html + "<p>None for this frame.</p>";
    const at = 4 * (y * state.width + x);
    const b = Array.from(webglBytes.subarray(at, at + 4));
    return html + (b[3] === 0 ? "<p>No face was drawn here.</p>" :
      "<table><tr><th>window bytes (r g b)</th><td>" + numbers(b.slice(0, 3)) +
      "</td></tr></table>");
  }

  // The why the story begins with, the ladder's steps as code, the
  // settling one with its colour in the cause map.
  function whyHtml(story) {
    const step = story.settled_by === null ? -1 : story.settled_by === "specified" ? 0
      : story.settled_by === "unexplained" ? ruleNames.length + 1
      : ruleNames.indexOf(story.settled_by) + 1;
    return escapeHtml(story.why).replace(/`([^`]*)`/g, (all, name) => "<code>" + name + "</code>" +
      (name === story.settled_by && step >= 0 ? swatch(causeColours[step]) : ""));
  }

  function showStory() {
    const story = toldStory();
    if (!story) {
      $("story-title").textContent = "Point at a pixel";
      $("story-body").textContent = "Hover over a panel to see the pixel's story; click to " +
        "pin it, then step with the arrow keys.";
      return;
    }
    const s = story.software, m = story.reference_model;
    const webgl = comparesWithWebgl();
    const at = 4 * (story.y * state.width + story.x);
    const otherBytes = webgl ? Array.from(webglBytes.subarray(at, at + 3)) : m.window_bytes;
    const inSoftware = s.depth < 1, inOther = webgl ? webglBytes[at + 3] !== 0 : m.covered;
    const other = webgl ? "WebGL" : "the model";
    const coverage = inSoftware && inOther ? "both" : inSoftware ? "the software only"
      : inOther ? other + " only" : "neither";
    // Where no face reaches the screen the model has no bytes; it then
    // covers nothing, so there is no step difference to give.
    const steps = inSoftware && inOther ? ", step difference from " + other + " " +
      s.window_bytes.map((b, c) => Math.abs(b - otherBytes[c])).join(" ") : "";
    $("story-title").innerHTML = '<span class="why">' + whyHtml(story) + "</span>Pixel " +
      story.x + ", " + story.y + " (column, row; row 0 at the bottom)" +
      (state.pinned ? ", pinned" : "") + ": covered by " + coverage + steps +
      (webgl ? " (the sentences above are told against the reference model)" : "");
    $("story-body").innerHTML = '<div class="side">' + softwareHtml(s, story.y) +
      '</div><div class="side">' + modelHtml(m) + "</div>" +
      (webglBytes ? '<div class="side">' + webglHtml(story.x, story.y) + "</div>" : "");
  }

  // The pixel under the pointer, or null outside the frame.
  function pixelAt(canvas, event) {
    const box = canvas.getBoundingClientRect();
    const x = Math.floor((event.clientX - box.left) * state.width / box.width);
    const top = Math.floor((event.clientY - box.top) * state.height / box.height);
    if (x < 0 || x >= state.width || top < 0 || top >= state.height) return null;
    return { x: x, y: state.height - 1 - top };
  }

  function setPixel(pixel, pinned) {
    state.pixel = pixel;
    state.pinned = pinned;
    requestUpdate("story");
  }

  // ---- input as the viewer takes it -------------------------------------------

  const pointer = { x: 0, y: 0, buttons: 0, moved: false, canvas: null };

  function onMouseDown(event) {
    event.preventDefault();
    pointer.x = Math.round(event.clientX);
    pointer.y = Math.round(event.clientY);
    pointer.buttons = event.buttons;
    pointer.moved = false;
    pointer.canvas = event.currentTarget;
  }

  function onMouseMove(event) {
    const x = Math.round(event.clientX), y = Math.round(event.clientY);
    const dx = x - pointer.x, dy = y - pointer.y;
    pointer.x = x;
    pointer.y = y;
    if (pointer.buttons === 0 || event.buttons === 0) return;
    if (dx === 0 && dy === 0) return;
    pointer.moved = true;
    const v = state.view;
    if (pointer.buttons & 1) {  // left: turn, one degree per pixel
      v.angleZ = addPixels(v.angleZ, dx);
      v.angleX = addPixels(v.angleX, dy);
    }
    if (pointer.buttons & 2) {  // right: pan, 0.01 scene units per pixel
      v.panX = addPixels(v.panX, dx);
      v.panY = addPixels(v.panY, dy);
    }
    requestUpdate();
  }

  function onMouseUp(event) {
    if (pointer.buttons === 1 && !pointer.moved && pointer.canvas) {
      const pixel = pixelAt(pointer.canvas, event);
      if (pixel) {
        const same = state.pinned && state.pixel && state.pixel.x === pixel.x &&
          state.pixel.y === pixel.y;
        setPixel(pixel, !same);
        if (pointer.canvas === canvases[0]) stepMode.pick(pixel);
      }
    }
    pointer.buttons = event.buttons;
    if (pointer.buttons === 0) pointer.canvas = null;
  }

  function onHover(event) {
    if (pointer.buttons !== 0 || state.pinned) return;
    const pixel = pixelAt(event.currentTarget, event);
    if (!pixel || (state.pixel && pixel.x === state.pixel.x && pixel.y === state.pixel.y)) return;
    state.pixel = pixel;
    requestUpdate("story");
  }

  // The wheel notches an event carries, up positive: Chromium counts the
  // wheel's ticks in wheelDeltaY (120 a tick, over the device pixel ratio),
  // summed when it merges fast events into one; without it, deltaY in lines
  // (3 a notch), pages (1) or pixels (100).
  function wheelNotches(event) {
    if (event.wheelDeltaY) return event.wheelDeltaY * window.devicePixelRatio / 120;
    return -event.deltaY / ([100, 3, 1][event.deltaMode] || 100);
  }

  function onWheel(event) {
    event.preventDefault();
    notchesPending += wheelNotches(event);
    const notches = Math.trunc(notchesPending);
    if (notches === 0) return;
    notchesPending -= notches;
    // As in the viewer, where GLUT reports a notch as a press and a release
    // of button 3 (up, nearer) or 4, each one step of 0.25 scene units.
    for (let event = 0; event < 2 * Math.abs(notches); ++event) {
      state.view.zoom = Math.fround(state.view.zoom + Math.sign(notches));
    }
    requestUpdate();
  }

  function onKey(event) {
    const steps = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, 1], ArrowDown: [0, -1] };
    const step = steps[event.key];
    if (!step || !state.pixel || event.target.tagName === "INPUT") return;
    event.preventDefault();
    const x = Math.min(Math.max(state.pixel.x + step[0], 0), state.width - 1);
    const y = Math.min(Math.max(state.pixel.y + step[1], 0), state.height - 1);
    setPixel({ x: x, y: y }, true);
  }

  // ---- the link ----------------------------------------------------------------

  function linkText() {
    const v = state.view;
    const parts = ["angle-z=" + floatText(v.angleZ), "angle-x=" + floatText(v.angleX),
      "zoom=" + floatText(v.zoom), "pan-x=" + floatText(v.panX), "pan-y=" + floatText(v.panY),
      "width=" + state.width, "height=" + state.height,
      "like-reference=" + rulesText(state.rules)];
    if (state.pixel) parts.push("pixel=" + state.pixel.x + "," + state.pixel.y);
    if (state.stage) parts.push("left=" + STAGES[state.stage]);
    if (state.map) parts.push("right=" + MAPS[state.map]);
    if (state.reference) parts.push("middle=" + REFERENCES[state.reference]);
    return parts.join("&");
  }

  // Takes what the link holds; what is missing or unreadable stays as it is.
  // A link whose text cannot be decoded (a bad % escape) is refused whole.
  // Returns whether it was taken.
  function applyLink(text) {
    const fields = {};
    for (const part of text.replace(/^#/, "").split("&")) {
      const at = part.indexOf("=");
      if (at <= 0) continue;
      try {
        fields[part.slice(0, at)] = decodeURIComponent(part.slice(at + 1));
      } catch (error) {
        refuse("The link was refused: " + JSON.stringify(part) + " is not a valid escape " +
          "(a % must be followed by two hexadecimal digits); the view is as it was.");
        return false;
      }
    }
    const numbers = { "angle-z": "angleZ", "angle-x": "angleX", zoom: "zoom", "pan-x": "panX",
      "pan-y": "panY" };
    for (const key in numbers) {
      if (fields[key] === undefined) continue;
      const value = floatFromText(fields[key]);
      if (!Number.isNaN(value)) state.view[numbers[key]] = value;
    }
    for (const key of ["width", "height"]) {
      const value = Number(fields[key]);
      if (Number.isInteger(value) && value >= 1 && value <= wasm._rw_largest_side()) {
        state[key] = value;
      }
    }
    const rules = parseRules(fields["like-reference"]);
    if (rules !== null) Object.assign(state, rules);
    if (STAGES.indexOf(fields.left) >= 0) state.stage = STAGES.indexOf(fields.left);
    if (MAPS.indexOf(fields.right) >= 0) state.map = MAPS.indexOf(fields.right);
    if (REFERENCES.indexOf(fields.middle) >= 0) state.reference = REFERENCES.indexOf(fields.middle);
    const pixel = /^(\d+),(\d+)$/.exec(fields.pixel || "");
    if (pixel && +pixel[1] < state.width && +pixel[2] < state.height) {
      state.pixel = { x: +pixel[1], y: +pixel[2] };
      state.pinned = true;
    }
    keepPixelInFrame();
    document.querySelector('input[name="stage"][value="' + state.stage + '"]').checked = true;
    document.querySelector('input[name="map"][value="' + state.map + '"]').checked = true;
    document.querySelector('input[name="reference"][value="' + state.reference + '"]')
      .checked = true;
    return true;
  }

  // ---- controls -------------------------------------------------------------

  function buildRuleToggles() {
    const row = $("rules");
    ruleNames.forEach((name, i) => {
      const label = document.createElement("label");
      const box = document.createElement("input");
      box.type = "checkbox";
      box.id = "rule-" + name;
      box.addEventListener("change", () => {
        state.rules = box.checked ? state.rules | (1 << i) : state.rules & ~(1 << i);
        requestUpdate();
      });
      label.append(box, " " + name);
      row.append(label);
    });
  }

  // One step along the ladder. From rules that are no ladder step, up goes
  // to the first step that holds them all, down to the last step within them.
  function stepLadder(by) {
    const steps = ladderSteps();
    const step = ladderStep();
    let next;
    if (step !== null) {
      next = step + by;
    } else if (by > 0) {
      next = steps.findIndex((s) => (s.rules & state.rules) === state.rules);
      if (next < 0) next = steps.length - 1;
    } else {
      next = 0;
      while (next + 1 < steps.length && (steps[next + 1].rules & ~state.rules) === 0) ++next;
    }
    next = Math.min(Math.max(next, 0), steps.length - 1);
    state.rules = steps[next].rules;
    state.grid = steps[next].grid;
    requestUpdate();
  }

  function wireControls() {
    for (const canvas of canvases) {
      canvas.addEventListener("mousedown", onMouseDown);
      canvas.addEventListener("mousemove", onHover);
      canvas.addEventListener("contextmenu", (event) => event.preventDefault());
      canvas.addEventListener("wheel", onWheel, { passive: false });
    }
    window.addEventListener("mousemove", onMouseMove);
    window.addEventListener("mouseup", onMouseUp);
    window.addEventListener("keydown", onKey);
    // The hash as changed, not as the address bar may hold it by now (the
    // link of an earlier input put there a moment later).
    window.addEventListener("hashchange", (event) => {
      if (applyLink(new URL(event.newURL).hash)) requestUpdate();
    });
    $("reset-view").addEventListener("click", () => {
      state.view = Object.assign({}, START_VIEW);
      requestUpdate();
    });
    for (const key of ["width", "height"]) {
      $(key).addEventListener("change", () => {
        const value = Number($(key).value);
        if (!Number.isInteger(value) || value < 1 || value > wasm._rw_largest_side()) {
          $(key).value = state[key];
          return;
        }
        state[key] = value;
        keepPixelInFrame();
        requestUpdate();
      });
    }
    for (const radio of document.querySelectorAll('input[name="reference"]')) {
      radio.addEventListener("change", () => {
        state.reference = Number(radio.value);
        requestUpdate();
      });
    }
    $("ladder-down").addEventListener("click", () => stepLadder(-1));
    $("ladder-up").addEventListener("click", () => stepLadder(1));
    $("fit-rules").addEventListener("click", () => startFit().catch(() => {}));
    for (const radio of document.querySelectorAll('input[name="stage"], input[name="map"]')) {
      radio.addEventListener("change", () => {
        state[radio.name] = Number(radio.value);
        present();
        showCaptions();
        showNumbers();
      });
    }
    for (const button of document.querySelectorAll("button[data-copy]")) {
      button.addEventListener("click", () => {
        navigator.clipboard.writeText($(button.dataset.copy).textContent);
      });
    }
  }

  // ---- the hook ---------------------------------------------------------------

  // A copy of the last frame's floats, `perPixel` to a pixel; empty when
  // the last frame could not be drawn.
  function copyFloats(pointer, perPixel) {
    const pixels = wasm._rw_width() * wasm._rw_height();
    return heapView(Float32Array, pointer, pixels * perPixel).slice();
  }

  const hook = {
    // Sets the view (keys left out keep their value), draws it at once and
    // returns view().
    setView(given) {
      // Checked whole before anything changes, as the tools check their options.
      for (const key of Object.keys(START_VIEW)) {
        if (given[key] !== undefined && !Number.isFinite(Math.fround(given[key]))) {
          throw new Error(key + " is not a finite float: " + given[key]);
        }
      }
      for (const key of ["width", "height"]) {
        if (given[key] !== undefined && !Number.isInteger(given[key])) {
          throw new Error(key + " is not a whole number: " + given[key]);
        }
      }
      const rules = given.rules === undefined ? { rules: state.rules, grid: state.grid }
        : parseRules(given.rules);
      if (rules === null) throw new Error("unknown rule in " + JSON.stringify(given.rules));
      if (given.reference !== undefined && REFERENCES.indexOf(given.reference) < 0) {
        throw new Error("reference is \"webgl\" or \"model\", not " +
          JSON.stringify(given.reference));
      }
      if (given.reference !== undefined) {
        state.reference = REFERENCES.indexOf(given.reference);
        document.querySelector('input[name="reference"][value="' + state.reference + '"]')
          .checked = true;
      }
      for (const key of Object.keys(START_VIEW)) {
        if (given[key] !== undefined) state.view[key] = Math.fround(given[key]);
      }
      for (const key of ["width", "height"]) {
        if (given[key] !== undefined) state[key] = given[key];
      }
      Object.assign(state, rules);
      keepPixelInFrame();
      queued = "frame";
      update();
      if (refused || !drawn) throw new Error($("status").textContent);
      return hook.view();
    },
    // The last frame's software buffers as the snapshot tool's PFM files hold
    // them: r, g, b per pixel and one depth per pixel, rows from the bottom.
    // In the step mode, the buffers at the step.
    colorFloats: () => (stepMode.active() ? stepMode.colorFloats()
      : copyFloats(wasm._rw_software_color(), 3)),
    depthFloats: () => (stepMode.active() ? stepMode.depthFloats()
      : copyFloats(wasm._rw_software_depth(), 1)),
    modelColorFloats: () => copyFloats(wasm._rw_model_color(), 3),
    modelDepthFloats: () => copyFloats(wasm._rw_model_depth(), 1),
    // Per pixel (rows from the bottom) the cause map's ladder step, -1 where
    // neither the model nor any step's picture covers it.
    causes: () => heapView(Int8Array, wasm._rw_causes(), wasm._rw_width() * wasm._rw_height())
      .slice(),
    // The software picture's story of any pixel, told afresh: what
    // rasterwork-explain --json says for the view, without the reference.
    explain: (x, y) => explainObject(x, y),
    // The story the page shows (of the pixel under the pointer or pinned),
    // in the same form; null for none.
    story: () => toldStory(),
    view() {
      return Object.assign({}, state.view, {
        width: state.width, height: state.height,
        rules: rulesText(state.rules) === "none" ? [] : rulesText(state.rules).split(",")
          .flatMap((name) => name === "all" ? ruleNames : [name]),
        pixel: state.pixel ? Object.assign({ pinned: state.pinned }, state.pixel) : null,
        stage: STAGES[state.stage], map: MAPS[state.map],
        reference: comparesWithWebgl() ? "webgl" : "model",
      });
    },
    // The last update's time in milliseconds: the whole of it; the drawing of
    // both pictures and the stories in the module, the WebGL picture (drawn,
    // read back and compared), the panels with their captions, and the story
    // shown; and the last step of the step mode (drawing up to it and
    // showing it).
    timing: () => Object.assign({ update: timing.update, draw: timing.draw, webgl: timing.webgl,
      panels: timing.panels, story: timing.story }, stepMode.timing()),
    // What draws the WebGL picture: whether WebGL2 was had, the vendor and
    // renderer (unmasked where the browser gives them), or why not.
    webgl: () => Object.assign({}, rasterworkWebgl.info),
    // The last WebGL picture: r, g, b, a bytes per pixel, rows from the
    // bottom, a = 0 where no face was drawn; null when the frame has none.
    webglBytes: () => webglBytes ? webglBytes.slice() : null,
    // Fits the rules to the WebGL pictures of `views` (each a view with its
    // width and height; by default the view and a turntable of 12) and lets
    // the ladder climb them: a promise of the fit.
    fitRules: (views) => startFit(views),
    // The last fit, or null.
    fitted: () => fitted && JSON.parse(JSON.stringify(fitted)),
    // Whether the story panel shows this pixel, and why it is what it is.
    storyTitle: () => $("story-title").textContent,
    // The magnifier's geometry around any pixel of the frame drawn last (in
    // the step mode, at the step) as the module gathers it; without a
    // pixel, what the magnifier shows: {where, geometry} or null.
    magnifier: (x, y) => (x === undefined ? magnifier.shown()
      : magnifier.geometry(x, y, stepMode.active())),
  };

  hook.ready = createRasterworkModule().then((module) => {
    wasm = module;
    for (let i = 0; i < wasm._rw_rule_count(); ++i) {
      ruleNames.push(wasm.UTF8ToString(wasm._rw_rule_name(i)));
    }
    for (let step = 0; step <= ruleNames.length + 1; ++step) {
      causeColours.push("#" + wasm._rw_cause_colour(step).toString(16).padStart(6, "0"));
    }
    buildRuleToggles();
    stepMode = createStepMode({ wasm, state, $, putPanel, present, copyFloats });
    Object.assign(hook, stepMode.hook);
    magnifier = createMagnifier({ wasm, state, $, stepMode, comparesWithWebgl,
      gridBits: magnifierGrid, webglCovers: (x, y) => webglBytes[4 * (y * state.width + x) + 3] !== 0 });
    wireControls();
    if (!rasterworkWebgl.open().webgl2) {
      state.reference = REFERENCES.indexOf("model");
      $("reference-webgl").disabled = true;
      $("reference-webgl-label").title = "No WebGL picture: " + rasterworkWebgl.info.reason;
      $("fit-rules").disabled = true;
    }
    document.querySelector('input[name="reference"][value="' + state.reference + '"]')
      .checked = true;
    const linkTaken = location.hash.length <= 1 || applyLink(location.hash);
    const refusal = $("status").textContent;
    queued = "frame";
    update();
    if (!linkTaken) refuse(refusal);
    return hook;
  }).catch((error) => {
    $("status").textContent = "The renderer could not start: " + error;
    $("status").className = "failed";
    throw error;
  });
  window.rasterwork = hook;
})();
