"use strict";
// Headless Chromium driven over the DevTools protocol through
// --remote-debugging-pipe (the browser reads commands on descriptor 3 and
// writes replies and events on descriptor 4, each a JSON text ended by a
// NUL byte). Needs no npm package. Every wait is bounded.
const { spawn } = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");

const COMMAND_TIMEOUT_MS = 30000;

// The installed browser: $RW_BROWSER, else Debian's chromium-headless-shell,
// else Debian's chromium.
function findBrowser() {
  const candidates = [process.env.RW_BROWSER, "/usr/bin/chromium-headless-shell",
    "/usr/bin/chromium"].filter(Boolean);
  for (const candidate of candidates) {
    if (fs.existsSync(candidate)) return candidate;
  }
  throw new Error("no browser found (tried " + candidates.join(", ") +
    "): run scripts/install-deps web");
}

// The browser's flags for each WebGL the tests draw with: SwiftShader,
// what Chromium gives without a GPU, and ANGLE on Mesa's OpenGL ES.
const GRAPHICS_FLAGS = {
  swiftshader: ["--disable-gpu"],
  "angle-mesa": ["--use-gl=angle", "--use-angle=gl-egl", "--ignore-gpu-blocklist"],
};

class Browser {
  // `graphics` names one of GRAPHICS_FLAGS.
  static async start(graphics = "swiftshader") {
    const browser = new Browser();
    if (!GRAPHICS_FLAGS[graphics]) throw new Error("no such graphics: " + graphics);
    await browser.launch(GRAPHICS_FLAGS[graphics]);
    return browser;
  }

  async launch(graphicsFlags) {
    this.profile = fs.mkdtempSync(path.join(os.tmpdir(), "rasterwork-browser-"));
    const args = ["--headless", "--no-sandbox", ...graphicsFlags, "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync",
      "--disable-dev-shm-usage", "--user-data-dir=" + this.profile,
      "--remote-debugging-pipe", "about:blank"];
    this.child = spawn(findBrowser(), args, { stdio: ["ignore", "ignore", "pipe", "pipe", "pipe"] });
    this.stderr = "";
    this.child.stderr.on("data", (data) => {
      this.stderr = (this.stderr + data).slice(-4000);
    });
    this.nextId = 1;
    this.pending = new Map();
    this.listeners = [];
    this.exited = new Promise((resolve) => this.child.on("exit", resolve));
    this.child.on("exit", () => {
      for (const { reject } of this.pending.values()) {
        reject(new Error("the browser ended: " + this.stderr.trim()));
      }
      this.pending.clear();
    });
    let buffered = Buffer.alloc(0);
    this.child.stdio[4].on("data", (data) => {
      buffered = Buffer.concat([buffered, data]);
      let end;
      while ((end = buffered.indexOf(0)) >= 0) {
        this.receive(JSON.parse(buffered.subarray(0, end).toString("utf8")));
        buffered = buffered.subarray(end + 1);
      }
    });
    this.child.stdio[3].on("error", () => {});
    const { targetId } = await this.send("Target.createTarget", { url: "about:blank" });
    const { sessionId } = await this.send("Target.attachToTarget", { targetId, flatten: true });
    this.session = sessionId;
    await this.page("Page.enable");
    await this.page("Runtime.enable");
    await this.page("Emulation.setDeviceMetricsOverride",
      { width: 1600, height: 1400, deviceScaleFactor: 1, mobile: false });
  }

  receive(message) {
    if (message.id !== undefined) {
      const waiting = this.pending.get(message.id);
      if (!waiting) return;
      this.pending.delete(message.id);
      if (message.error) {
        waiting.reject(new Error(waiting.method + ": " + message.error.message));
      } else {
        waiting.resolve(message.result);
      }
      return;
    }
    for (const listener of this.listeners.slice()) listener(message);
  }

  // A browser-level command.
  send(method, params = {}, sessionId = undefined) {
    const id = this.nextId++;
    const message = { id, method, params };
    if (sessionId) message.sessionId = sessionId;
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => {
        this.pending.delete(id);
        reject(new Error(method + ": no answer within " + COMMAND_TIMEOUT_MS + " ms"));
      }, COMMAND_TIMEOUT_MS);
      this.pending.set(id, {
        method,
        resolve: (result) => { clearTimeout(timer); resolve(result); },
        reject: (error) => { clearTimeout(timer); reject(error); },
      });
      this.child.stdio[3].write(JSON.stringify(message) + "\0");
    });
  }

  // A command to the page.
  page(method, params = {}) {
    return this.send(method, params, this.session);
  }

  // Resolves with the first event of that name, or fails after `ms`.
  waitForEvent(name, ms) {
    return new Promise((resolve, reject) => {
      const listener = (message) => {
        if (message.method !== name || message.sessionId !== this.session) return;
        clearTimeout(timer);
        this.listeners.splice(this.listeners.indexOf(listener), 1);
        resolve(message.params);
      };
      const timer = setTimeout(() => {
        this.listeners.splice(this.listeners.indexOf(listener), 1);
        reject(new Error("no " + name + " within " + ms + " ms"));
      }, ms);
      this.listeners.push(listener);
    });
  }

  async open(url) {
    const loaded = this.waitForEvent("Page.loadEventFired", COMMAND_TIMEOUT_MS);
    await this.page("Page.navigate", { url });
    await loaded;
  }

  // The value of a JavaScript expression in the page (awaited when it is a
  // promise); an exception in the page fails the call with its text.
  async evaluate(expression) {
    const { result, exceptionDetails } = await this.page("Runtime.evaluate",
      { expression, awaitPromise: true, returnByValue: true });
    if (exceptionDetails) {
      const text = exceptionDetails.exception && exceptionDetails.exception.description;
      throw new Error("in the page: " + (text || exceptionDetails.text));
    }
    return result.value;
  }

  // Mouse and key events as the browser's input system delivers them.
  mouse(type, x, y, extra = {}) {
    return this.page("Input.dispatchMouseEvent", Object.assign({ type, x, y }, extra));
  }

  key(key, code, keyCode) {
    const common = { key, code, windowsVirtualKeyCode: keyCode };
    return this.page("Input.dispatchKeyEvent", Object.assign({ type: "rawKeyDown" }, common))
      .then(() => this.page("Input.dispatchKeyEvent", Object.assign({ type: "keyUp" }, common)));
  }

  async screenshot(file) {
    const { data } = await this.page("Page.captureScreenshot", { format: "png" });
    fs.writeFileSync(file, Buffer.from(data, "base64"));
  }

  async close() {
    try {
      await Promise.race([this.send("Browser.close"), new Promise((r) => setTimeout(r, 5000))]);
    } catch (error) {
      // It may have ended already.
    }
    const ended = await Promise.race([this.exited.then(() => true),
      new Promise((r) => setTimeout(() => r(false), 5000))]);
    if (!ended) this.child.kill("SIGKILL");
    fs.rmSync(this.profile, { recursive: true, force: true });
  }
}

module.exports = { Browser, GRAPHICS_FLAGS };
