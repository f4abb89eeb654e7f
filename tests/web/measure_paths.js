"use strict";
// Figures for the docs, not a test: runs rasterwork-measure-paths (the fast
// and the plain software path drawn and timed in WebAssembly) in headless
// Chromium and prints what it says.
//
//   scripts/build-web --target rasterwork-measure-paths
//   node tests/web/measure_paths.js build-web/web/rasterwork-measure-paths.js
const fs = require("fs");
const os = require("os");
const path = require("path");
const { Browser } = require("./browser.js");

async function main() {
  const module = path.resolve(process.argv[2]);
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "rasterwork-paths-"));
  const page = path.join(dir, "paths.html");
  fs.writeFileSync(page, "<!doctype html><script>var Module = { print: (line) => " +
    "(window.lines = window.lines || []).push(line) };</script>" +
    "<script src=\"file://" + module + "\"></script>");
  const browser = await Browser.start();
  try {
    await browser.open("file://" + page);
    // At most two minutes for the four views.
    for (let wait = 0; wait < 240; ++wait) {
      const lines = JSON.parse(await browser.evaluate("JSON.stringify(window.lines || [])"));
      if (lines.length >= 4) {
        console.log(lines.join("\n"));
        console.log(await browser.evaluate("navigator.userAgent"));
        return;
      }
      await new Promise((done) => setTimeout(done, 500));
    }
    throw new Error("rasterwork-measure-paths did not finish within two minutes");
  } finally {
    await browser.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

main().catch((error) => {
  console.error(error.message);
  process.exit(1);
});
