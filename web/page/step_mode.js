"use strict";
// The page's step mode: the software picture stopped after a face and a row
// of it in draw order, as rasterwork-snapshot --stop-after draws it, with the
// face outlined, the row marked, and beside it the face's edge table and the
// row's active edges, spans and depth tests. page.js makes one with
// createStepMode and calls its present() and viewChanged().
function createStepMode(page) {
  const { wasm, state, $ } = page;
  const SPEEDS = [2, 10, 30, 120];  // rows a second
  let active = false;
  let at = null;        // {object, face, row}: row a window row, or null for the whole face
  let scan = null;      // faceScan of at's face
  let playTimer = 0;
  let stepTime = 0;     // ms, the last step's drawing and showing
  const faceCounts = [];
  for (let o = 0; o < wasm._rw_object_count(); ++o) faceCounts.push(wasm._rw_face_count(o));

  function faceScan(object, face) {
    const text = wasm.UTF8ToString(wasm._rw_face_scan_json(object, face));
    if (!text) throw new Error("the scene has no face " + object + ":" + face);
    return JSON.parse(text);
  }

  // The last face scan asked for, kept until the view changes: each costs
  // drawing the frame up to its face.
  let kept = null;
  function keptScan(object, face) {
    if (!kept || kept.object !== object || kept.face !== face) kept = faceScan(object, face);
    return kept;
  }

  // Draws the buffers up to `to`; throws, leaving the step as it was, when
  // there is no such face or row.
  function go(to) {
    const start = performance.now();
    const whole = to.row === null;
    if (wasm._rw_step_to(to.object, to.face, whole ? 0 : to.row, whole ? 1 : 0) !== 1) {
      throw new Error("cannot stop after " + to.object + ":" + to.face +
        (whole ? "" : ":" + to.row) + " in a " + state.width + " x " + state.height + " frame");
    }
    scan = keptScan(to.object, to.face);
    at = { object: to.object, face: to.face, row: to.row };
    active = true;
    $("step-on").checked = true;
    page.present();
    showStep();
    stepTime = performance.now() - start;
  }

  function rows() {
    return scan.rows.map((r) => r.y);
  }

  // The faces in draw order, one after the other across the objects.
  function neighbourFace(object, face, by) {
    let o = object, f = face + by;
    while (o >= 0 && o < faceCounts.length) {
      if (f >= 0 && f < faceCounts[o]) return { object: o, face: f };
      o += by;
      f = by > 0 ? 0 : (faceCounts[o] || 0) - 1;
    }
    return null;
  }

  function startOf(face, last) {
    const s = keptScan(face.object, face.face);
    if (!s.rows.length) return { object: face.object, face: face.face, row: null };
    return { object: face.object, face: face.face, row: s.rows[last ? s.rows.length - 1 : 0].y };
  }

  // One row on (by 1) or back (by -1); past a face's last row to the next
  // face's first. False at either end of the frame.
  function stepRow(by) {
    const ys = rows();
    const i = at.row === null ? (by > 0 ? ys.length - 1 : 0) : ys.indexOf(at.row);
    if (at.row !== null && i + by >= 0 && i + by < ys.length) {
      go({ object: at.object, face: at.face, row: ys[i + by] });
      return true;
    }
    const next = neighbourFace(at.object, at.face, by);
    if (!next) return false;
    go(startOf(next, by < 0));
    return true;
  }

  function stepFace(by) {
    const next = neighbourFace(at.object, at.face, by);
    if (next) go(startOf(next, false));
  }

  function play() {
    clearTimeout(playTimer);
    playTimer = 0;
    if (!$("step-play").classList.contains("playing")) return;
    if (!stepRow(1)) {
      $("step-play").classList.remove("playing");
      $("step-play").textContent = "Play";
      return;
    }
    playTimer = setTimeout(play, 1000 / SPEEDS[$("step-speed").selectedIndex]);
  }

  // ---- what it shows ---------------------------------------------------------

  function outline(canvas) {
    const context = canvas.getContext("2d");
    const h = state.height;
    if (at.row !== null) {
      context.fillStyle = "rgba(255, 0, 255, 0.35)";
      context.fillRect(0, h - 1 - at.row, state.width, 1);
    }
    if (scan.corners.length) {
      context.strokeStyle = "#ff00ff";
      context.lineWidth = 1;
      context.beginPath();
      scan.corners.forEach(([x, y], i) => (i ? context.lineTo(x, h - y) : context.moveTo(x, h - y)));
      context.closePath();
      context.stroke();
    }
  }

  const n = (v) => (v === null ? "none" : String(v));

  function edgeTable() {
    return "<table><tr><th>edge</th><th>rows</th><th>x on its first row</th>" +
      "<th>x per row</th><th>depth</th><th>depth per row</th></tr>" +
      scan.edges.map((e, i) => "<tr><td>" + i + "</td><td>" + e.first_row + " to " + e.last_row +
        "</td><td>" + n(e.x) + "</td><td>" + n(e.dxdy) + "</td><td>" + n(e.z) + "</td><td>" +
        n(e.dzdy) + "</td></tr>").join("") + "</table>";
  }

  function rowHtml(row) {
    const active = row.active_edges.map((e, i) => "edge " + e + " at x " + n(row.active[i]))
      .join(", ") || "none";
    let text = "<p>Active edges in x order: " + active + "; entering: " +
      (row.entering.join(", ") || "none") + "; retiring: " + (row.leaving.join(", ") || "none") +
      "</p>";
    for (const s of row.spans) {
      text += "<p>Span between edges " + s.left_edge + " and " + s.right_edge + ": x " +
        n(s.left) + " to " + n(s.right) + ", " + (s.end_column > s.first_column
        ? "columns " + s.first_column + " to " + (s.end_column - 1) : "no column") +
        " (end column " + s.end_column + " not filled)</p><div class=\"fragments\">" +
        s.fragments.map((f) => '<span class="' + (f.passed ? "passed" : "failed") +
          '" title="column ' + f.column + ": depth " + n(f.depth) + " against " +
          n(f.depth_before) + (f.passed ? ", passed" : ", failed") + '">' + f.column + "</span>")
          .join("") + "</div>";
    }
    return text;
  }

  function showStep() {
    const row = at.row === null ? null : scan.rows.find((r) => r.y === at.row);
    const ys = rows();
    $("step-face").value = at.object + ":" + at.face;
    $("step-where").textContent = "Face " + at.object + ":" + at.face + " (" + scan.object_name +
      "), " + (at.row === null ? "the whole face" : "up to row " + at.row) +
      (ys.length ? "; it covers rows " + ys[0] + " to " + ys[ys.length - 1] :
        "; it covers no row of the frame") + ". The left panel shows the buffers after this step.";
    $("step-edges").innerHTML = "<h3>Edge table</h3>" + edgeTable();
    $("step-row").innerHTML = row ? "<h3>Row " + row.y + "</h3>" + rowHtml(row) : "";
  }

  // ---- controls --------------------------------------------------------------

  $("step-mode").innerHTML =
    '<div class="row"><label><input type="checkbox" id="step-on"> Step through the frame</label>' +
    ' <label>face <input id="step-face" size="7" title="OBJECT:FACE in draw order, from 0"></label>' +
    ' <button type="button" id="step-face-down" title="Previous face (&lt;)">&#9664; face</button>' +
    '<button type="button" id="step-row-down" title="Previous row (,)">&#9664; row</button>' +
    '<button type="button" id="step-row-up" title="Next row (.)">row &#9654;</button>' +
    '<button type="button" id="step-face-up" title="Next face (&gt;)">face &#9654;</button>' +
    ' <button type="button" id="step-whole" title="The whole face">whole face</button>' +
    ' <button type="button" id="step-play" title="Play or pause (space)">Play</button>' +
    ' <select id="step-speed" title="Rows a second">' +
    SPEEDS.map((s, i) => "<option" + (i === 1 ? " selected" : "") + ">" + s + " rows/s</option>")
      .join("") + "</select> <span id=\"step-where\">Click a face in the left panel, type its " +
    "number, or step from the first.</span></div>" +
    '<div class="step-tables"><div id="step-edges"></div><div id="step-row"></div></div>';

  function guarded(action) {
    return () => {
      try {
        if (!active) go(startOf({ object: 0, face: 0 }, false));
        else action();
      } catch (error) {
        $("step-where").textContent = String(error.message || error);
      }
    };
  }
  $("step-on").addEventListener("change", () => {
    if ($("step-on").checked) guarded(() => {})();
    else leave();
  });
  $("step-row-up").addEventListener("click", guarded(() => stepRow(1)));
  $("step-row-down").addEventListener("click", guarded(() => stepRow(-1)));
  $("step-face-up").addEventListener("click", guarded(() => stepFace(1)));
  $("step-face-down").addEventListener("click", guarded(() => stepFace(-1)));
  $("step-whole").addEventListener("click", guarded(() => go({ object: at.object, face: at.face,
    row: null })));
  $("step-play").addEventListener("click", () => {
    const playing = $("step-play").classList.toggle("playing");
    $("step-play").textContent = playing ? "Pause" : "Play";
    if (playing) guarded(() => {})();
    play();
  });
  $("step-face").addEventListener("change", () => {
    const m = /^\s*(\d+)\s*:\s*(\d+)\s*$/.exec($("step-face").value);
    try {
      if (!m) throw new Error("type a face as OBJECT:FACE, for example 1:57");
      go(startOf({ object: +m[1], face: +m[2] }, false));
    } catch (error) {
      $("step-where").textContent = String(error.message || error);
    }
  });
  window.addEventListener("keydown", (event) => {
    if (!active || ["INPUT", "SELECT"].includes(event.target.tagName)) return;
    const actions = { ".": () => stepRow(1), ",": () => stepRow(-1), ">": () => stepFace(1),
      "<": () => stepFace(-1), " ": () => $("step-play").click() };
    if (!actions[event.key]) return;
    event.preventDefault();
    guarded(actions[event.key])();
  });

  function leave() {
    active = false;
    $("step-play").classList.remove("playing");
    $("step-play").textContent = "Play";
    clearTimeout(playTimer);
    $("step-on").checked = false;
    $("step-edges").innerHTML = $("step-row").innerHTML = "";
    page.present();
  }

  return {
    active: () => active,
    // Where the step mode stands and its face's scan; null outside it.
    current: () => (active ? { at: Object.assign({}, at), scan } : null),
    // Draws the left panel at the step; false when not stepping.
    present(canvas) {
      if (!active) return false;
      page.putPanel(canvas, wasm._rw_step_panel(state.stage));
      outline(canvas);
      return true;
    },
    // The view changed: the same step in the new frame, or out of step mode
    // where it has no such row.
    viewChanged() {
      kept = null;
      if (!active) return;
      try {
        go(at);
      } catch (error) {
        leave();
      }
    },
    // A click in the left panel chooses the face the whole frame shows there.
    pick(pixel) {
      if (!active) return;
      const face = wasm._rw_face_at(pixel.x, pixel.y);
      if (face >= 0) guarded(() => go(startOf({ object: face >> 16, face: face & 0xffff }, false)))();
    },
    hook: {
      stepTo(to) {
        const row = to.row === undefined ? null : to.row;
        for (const [key, value] of [["object", to.object], ["face", to.face]]) {
          if (!Number.isInteger(value) || value < 0) throw new Error(key + " is not a face index: " + value);
        }
        if (row !== null && (!Number.isInteger(row) || row < 0)) throw new Error("row is not a row: " + row);
        go({ object: to.object, face: to.face, row: row });
        return this.step();
      },
      step: () => (active ? Object.assign({}, at) : null),
      faceScan: (object, face) => faceScan(object, face),
    },
    colorFloats: () => page.copyFloats(wasm._rw_step_color(), 3),
    depthFloats: () => page.copyFloats(wasm._rw_step_depth(), 1),
    timing: () => ({ step: stepTime }),
  };
}
