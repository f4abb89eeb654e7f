"use strict";
// Figures for the docs, not a test: the time of the page's whole update after
// an input event (both pictures drawn, the panels, the difference and the
// hovered pixel's story) and its parts, read through window.rasterwork after
// each of N real one-pixel drag events at 480 x 480; the same after N moves
// of the pointer alone (only the stories told again); a step of the step
// mode; and the size of the page's file. The middle panel shows the model
// unless "webgl" is given.
//
//   node tests/web/measure_page.js build-web/rasterwork.html [EVENTS] [model|webgl]
const fs = require("fs");
const path = require("path");
const { Browser } = require("./browser.js");

async function main() {
  const page = process.argv[2];
  const events = Number(process.argv[3] || 120);
  const reference = process.argv[4] || "model";
  const browser = await Browser.start();
  try {
    await browser.open("file://" + path.resolve(page));
    await browser.evaluate("window.rasterwork.ready.then(() => true)");
    await browser.evaluate("rasterwork.setView({ reference: " + JSON.stringify(reference) +
      " }).reference");
    const box = JSON.parse(await browser.evaluate("JSON.stringify(document.getElementById(" +
      "'software-canvas').getBoundingClientRect())"));
    const x = box.left + 240, y = box.top + 240;
    // A hovered pixel first, so each update tells its story too.
    await browser.mouse("mouseMoved", x, y);
    await browser.mouse("mousePressed", x, y, { button: "left", buttons: 1, clickCount: 1 });
    const afterNextFrame = async () => JSON.parse(await browser.evaluate("new Promise((done) => " +
      "requestAnimationFrame(() => requestAnimationFrame(() => " +
      "done(JSON.stringify(rasterwork.timing())))))"));
    const drags = [];
    for (let i = 1; i <= events; ++i) {
      await browser.mouse("mouseMoved", x + (i % 2), y, { button: "left", buttons: 1 });
      drags.push(await afterNextFrame());
    }
    await browser.mouse("mouseReleased", x, y, { button: "left", buttons: 0, clickCount: 1 });
    // The pointer alone, over pixels of the patches and of the background.
    const hovers = [];
    for (let i = 1; i <= events; ++i) {
      await browser.mouse("mouseMoved", x - 60 + (i % 13) * 9, y - 40 + (i % 7) * 11);
      hovers.push(await afterNextFrame());
    }
    const figures = (values) => {
      const sorted = values.slice().sort((a, b) => a - b);
      const at = (q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
      return "median " + at(0.5).toFixed(1) + " ms, best " + sorted[0].toFixed(1) +
        " ms, 90th percentile " + at(0.9).toFixed(1) + " ms";
    };
    // The step mode: stepping to points spread over the frame (a face's
    // first, middle and last row and the whole face, faces across all
    // objects), each drawn up to there and shown.
    const steps = JSON.parse(await browser.evaluate(`(() => {
      const times = [];
      for (let i = 0; i < ${events}; ++i) {
        const object = i % 3, face = (i * 37) % 144;
        const rows = rasterwork.faceScan(object, face).rows;
        const row = rows.length ? rows[[0, rows.length >> 1, rows.length - 1][i % 3]].y : null;
        rasterwork.stepTo({ object, face, row: i % 4 === 3 ? null : row });
        times.push(rasterwork.timing().step);
      }
      return JSON.stringify(times);
    })()`));
    const of = (list, key) => list.map((timing) => timing[key]);
    console.log("events               " + events + " one-pixel drags at 480 x 480, the " +
      reference + " in the middle");
    console.log("whole update         " + figures(of(drags, "update")));
    console.log("  drawing, stories   " + figures(of(drags, "draw")));
    console.log("  WebGL picture      " + figures(of(drags, "webgl")));
    console.log("  panels, captions   " + figures(of(drags, "panels")));
    console.log("  story shown        " + figures(of(drags, "story")));
    console.log("pointer moved        " + figures(of(hovers, "update")) + " (" + events +
      " pixels)");
    console.log("step to a point      " + figures(steps) + " (" + events + " points)");
    console.log("page file            " + fs.statSync(page).size + " bytes");
  } finally {
    await browser.close();
  }
}

main().catch((error) => {
  console.error("measure_page: " + (error.stack || error));
  process.exit(1);
});
