"use strict";
// The magnifier: the pixels around the pinned pixel (or the step mode's
// current row) drawn as geometry on a canvas, from the numbers the module's
// C++ gathers as rasterwork-explain's magnifier does: the pixel grid, each
// pixel's colour and centre, every face outline that reaches the crop where
// the vertex stage put it and, dashed, on the reference's grid; per row the
// active edges' x as ticks and the spans' columns as bars; the pixels one
// side alone covers ringed in the difference map's colours. page.js makes
// one with createMagnifier and calls its show() whenever the panels or the
// pixel change.
function createMagnifier(page) {
  const { wasm, state, $ } = page;
  const ZOOM = 32;  // screen pixels per frame pixel
  const MARGIN = 40;  // row numbers at the left, column numbers below
  const TOP = 8;
  const COLOURS = {
    outline: "#0d0d0d", reference: "rgb(217, 0, 217)", tick: "rgb(255, 128, 0)",
    bar: "rgba(0, 191, 204, 0.8)", grid: "#999", gap: "rgb(190, 190, 190)",
    softwareOnly: "rgb(0, 110, 255)", referenceOnly: "rgb(0, 170, 0)", row: "#d000d0",
  };
  let shown = null;  // the geometry drawn last, with what it was drawn for
  let shownCaption = null;
  const tile = document.createElement("canvas");  // the crop's pixels, one canvas pixel each

  // The geometry around (x, y) as the module gathers it: of the frame drawn
  // last, or of the step mode's last step; null when it cannot be had. The
  // reference's coverage is the model's, or left for the caller to mark
  // without `modelCoverage`.
  function geometry(x, y, atStep, modelCoverage = true) {
    const text = wasm.UTF8ToString(wasm._rw_magnifier_json(x, y, page.gridBits(),
      atStep ? 1 : 0, modelCoverage ? 1 : 0));
    return text ? JSON.parse(text) : null;
  }

  // Where the magnifier looks: in the step mode the current row, at the
  // pinned pixel's column where the crop then holds the row's spans, else at
  // their middle (the middle of the face's corners for a whole face or a row
  // it does not cover); otherwise the pixel under the pointer or pinned.
  // Null for nowhere.
  function centre() {
    const step = page.stepMode.current();
    const pixel = state.pixel;
    if (!step) return pixel && { x: pixel.x, y: pixel.y, pinned: state.pinned, step: null };
    const { at, scan } = step;
    const inFrame = (v, side) => Math.min(Math.max(Math.floor(v), 0), side - 1);
    const half = 7;  // pixels on each side of the middle one
    const corners = scan.corners.length ? scan.corners : [[0, 0]];
    let from = Math.min(...corners.map((c) => c[0])), to = Math.max(...corners.map((c) => c[0]));
    let x = (from + to) / 2;
    let y = corners.reduce((sum, c) => sum + c[1], 0) / corners.length;
    const row = at.row === null ? null : scan.rows.find((r) => r.y === at.row);
    if (at.row !== null) y = at.row;
    const spans = row ? row.spans.filter((s) => s.end_column > s.first_column) : [];
    if (spans.length) {
      from = spans[0].first_column;
      to = spans[spans.length - 1].end_column - 1;
      x = (from + to) / 2;
    } else if (row && row.active.length && row.active[0] !== null) {
      from = to = x = row.active[0];
    }
    if (state.pinned && pixel && pixel.x + half >= from && pixel.x - half <= to) x = pixel.x;
    x = inFrame(x, state.width);
    y = inFrame(y, state.height);
    return { x, y, pinned: state.pinned && pixel !== null && pixel.x === x && pixel.y === y,
      step: at };
  }

  // ---- drawing ---------------------------------------------------------------

  // Whether row y is one the step mode's current step has not walked yet:
  // a face's rows are walked upwards, and a step stops after its row.
  const stillToWalk = (where, y) => where.step !== null && where.step.row !== null &&
    y > where.step.row;

  function draw(canvas, g, where) {
    const side = g.side, crop = side * ZOOM;
    const width = MARGIN + crop + 8, height = TOP + crop + 30;
    const ratio = window.devicePixelRatio || 1;
    if (canvas.width !== Math.round(width * ratio)) canvas.width = Math.round(width * ratio);
    if (canvas.height !== Math.round(height * ratio)) canvas.height = Math.round(height * ratio);
    canvas.style.width = width + "px";
    const c = canvas.getContext("2d");
    c.setTransform(ratio, 0, 0, ratio, 0, 0);
    c.fillStyle = "#fff";
    c.fillRect(0, 0, width, height);
    const X = (fx) => MARGIN + (fx - g.left) * ZOOM;
    const Y = (fy) => TOP + (g.bottom + side - fy) * ZOOM;
    const at = (column, row) => g.pixels[(g.bottom + side - 1 - row) * side + column - g.left];
    const eachPixel = (visit) => {
      for (let row = g.bottom; row < g.bottom + side; ++row) {
        for (let column = g.left; column < g.left + side; ++column) visit(at(column, row), column, row);
      }
    };

    c.save();
    c.beginPath();
    c.rect(MARGIN, TOP, crop, crop);
    c.clip();
    // The pixels' colours as one picture, scaled up without smoothing: a
    // square of ZOOM x ZOOM for each.
    tile.width = tile.height = side;
    const image = new ImageData(side, side);
    const gap = [190, 190, 190];  // COLOURS.gap
    g.pixels.forEach((p, i) => {
      image.data.set(p.in_frame ? p.rgb : gap, 4 * i);
      image.data[4 * i + 3] = 255;
    });
    tile.getContext("2d").putImageData(image, 0, 0);
    c.imageSmoothingEnabled = false;
    c.drawImage(tile, MARGIN, TOP, crop, crop);
    c.strokeStyle = COLOURS.grid;
    c.lineWidth = 1;
    c.beginPath();
    for (let i = 0; i <= side; ++i) {
      c.moveTo(MARGIN + i * ZOOM + 0.5, TOP);
      c.lineTo(MARGIN + i * ZOOM + 0.5, TOP + crop);
      c.moveTo(MARGIN, TOP + i * ZOOM + 0.5);
      c.lineTo(MARGIN + crop, TOP + i * ZOOM + 0.5);
    }
    c.stroke();
    // A dot at each centre: dark on light pixels, light on dark; the dots of
    // each shade filled as one path.
    for (const dark of [true, false]) {
      c.fillStyle = dark ? "#1a1a1a" : "#f2f2f2";
      c.beginPath();
      eachPixel((p, column, row) => {
        const light = 0.3 * p.rgb[0] + 0.59 * p.rgb[1] + 0.11 * p.rgb[2];
        if ((light > 128 || !p.in_frame) !== dark) return;
        c.moveTo(X(column + 0.5) + 2, Y(row + 0.5));
        c.arc(X(column + 0.5), Y(row + 0.5), 2, 0, 2 * Math.PI);
      });
      c.fill();
    }
    // The row walk: a bar through each span's filled columns, a tick
    // across the row at each active edge's x. At a step, the rows after the
    // step's are still to be walked: their spans only outlined, dashed, and
    // their ticks faint.
    for (const r of g.rows) {
      const toCome = stillToWalk(where, r.y);
      for (const [first, end] of r.spans) {
        if (toCome) {
          c.strokeStyle = COLOURS.bar;
          c.lineWidth = 1.5;
          c.setLineDash([4, 3]);
          c.strokeRect(X(first), Y(r.y + 0.5) - 2.5, (end - first) * ZOOM, 5);
          c.setLineDash([]);
        } else {
          c.fillStyle = COLOURS.bar;
          c.fillRect(X(first), Y(r.y + 0.5) - 2.5, (end - first) * ZOOM, 5);
        }
      }
      c.strokeStyle = COLOURS.tick;
      c.lineWidth = 2.5;
      c.globalAlpha = toCome ? 0.35 : 1;
      c.beginPath();
      for (const x of r.edge_x) {
        if (x === null) continue;
        c.moveTo(X(x), Y(r.y) - 4);
        c.lineTo(X(x), Y(r.y + 1) + 4);
      }
      c.stroke();
      c.globalAlpha = 1;
    }
    // The outlines, the reference's dashed over the software's solid one,
    // which it all but covers where the grid moves a corner by a hair.
    const outline = (corners) => {
      if (!corners.length || corners.some((p) => p[0] === null || p[1] === null)) return;
      c.beginPath();
      corners.forEach((p, i) => (i ? c.lineTo(X(p[0]), Y(p[1])) : c.moveTo(X(p[0]), Y(p[1]))));
      c.closePath();
      c.stroke();
    };
    c.strokeStyle = COLOURS.outline;
    c.lineWidth = 1.5;
    for (const f of g.faces) outline(f.outline);
    c.strokeStyle = COLOURS.reference;
    c.lineWidth = 2;
    c.setLineDash([6, 6]);
    for (const f of g.faces) outline(f.reference_outline);
    c.setLineDash([]);
    const ring = (column, row, colour, lineWidth, inset) => {
      c.strokeStyle = colour;
      c.lineWidth = lineWidth;
      c.strokeRect(X(column) + inset, Y(row + 1) + inset, ZOOM - 2 * inset, ZOOM - 2 * inset);
    };
    eachPixel((p, column, row) => {
      if (p.software !== p.reference) {
        ring(column, row, p.software ? COLOURS.softwareOnly : COLOURS.referenceOnly, 3, 5.5);
      }
    });
    // The pixel in the middle, black at the square's edge and white inside,
    // to show on any colour, and its numbers above it.
    ring(g.x, g.y, "#000", 2, 1);
    ring(g.x, g.y, "#fff", 1.5, 3);
    c.font = "bold 12px system-ui, sans-serif";
    const label = g.x + ", " + g.y + (where.pinned ? ", pinned" : "");
    const labelWidth = c.measureText(label).width;
    const labelLeft = Math.min(Math.max(X(g.x + 0.5) - labelWidth / 2 - 3, MARGIN),
      MARGIN + crop - labelWidth - 6);
    const labelTop = g.y + 1 < g.bottom + side ? Y(g.y + 1) - 20 : Y(g.y) + 2;
    c.fillStyle = "rgba(255, 255, 255, 0.85)";
    c.fillRect(labelLeft, labelTop, labelWidth + 6, 18);
    c.fillStyle = "#222";
    c.textBaseline = "middle";
    c.fillText(label, labelLeft + 3, labelTop + 9);
    c.restore();

    // Column numbers below, row numbers at the left (the step's row marked).
    // (A font is set only where it changes: the canvas parses each one.)
    const plain = "11px system-ui, sans-serif", bold = "bold " + plain;
    c.font = plain;
    c.textAlign = "center";
    c.textBaseline = "middle";
    c.fillStyle = "#444";
    for (let i = 0; i < side; ++i) {
      c.fillText(String(g.left + i), X(g.left + i + 0.5), TOP + crop + 10);
    }
    for (let i = 0; i < side; ++i) {
      const row = g.bottom + i;
      const current = where.step && where.step.row === row;
      if (current) {
        c.fillStyle = COLOURS.row;
        c.font = bold;
      }
      c.fillText(String(row), MARGIN / 2, Y(row + 0.5));
      if (current) {
        c.fillStyle = "#444";
        c.font = plain;
      }
    }
    c.fillText("column; row at the left, 0 at the bottom", MARGIN + crop / 2, TOP + crop + 24);
  }

  const swatch = (style) => '<span class="mark" style="' + style + '"></span>';

  function caption(g, where) {
    const grid = g.grid_bits > 0 ? "on its grid of " + (1 << g.grid_bits) + " steps a pixel"
      : "(no grid known: where the vertex stage put it)";
    const other = page.comparesWithWebgl() && !where.step ? "the WebGL picture" : "the model";
    const what = where.step ? "Face " + where.step.object + ":" + where.step.face + (where.step.row ===
      null ? ", the whole face" : ", up to row " + where.step.row) + ": the buffers as they stand " +
      "after the step, the edges and spans of this face alone"
      : "Pixel " + g.x + ", " + g.y + (where.pinned ? " (pinned)" : "") + ": the software picture, " +
      "every face's edges and spans";
    return "<strong>Magnifier</strong>. " + what + ", " + g.side + " x " + g.side + " pixels of the " +
      g.width + " x " + g.height + " frame (grey beyond it).<ul>" +
      "<li>" + swatch("border-top: 2px solid " + COLOURS.outline) + "each face's outline where the " +
      "vertex stage put it on the screen</li>" +
      "<li>" + swatch("border-top: 2px dashed " + COLOURS.reference) + "the reference's outline " +
      grid + "</li>" +
      "<li>" + swatch("border-left: 3px solid " + COLOURS.tick + "; width: 3px; height: 14px; " +
        "margin: 0 19px 0 10px") +
      "an active edge's x on the row: where the software samples it</li>" +
      "<li>" + swatch("background: " + COLOURS.bar + "; height: 5px") + "a span's filled " +
      "columns, its first to its end column - 1</li>" +
      (where.step && where.step.row !== null ? "<li>" + swatch("border: 1.5px dashed " +
        COLOURS.bar + "; height: 3px") + "a span still to fill, on a row after the step's " +
        "(its edges' ticks faint)</li>" : "") +
      "<li>" + swatch("border: 3px solid " + COLOURS.softwareOnly) + "covered by the software " +
      "only; " + swatch("border: 3px solid " + COLOURS.referenceOnly) + "by " + other + " only</li>" +
      "<li>dots: the pixel centres</li></ul>";
  }

  return {
    geometry,
    // Draws the magnifier where it looks now, or hides it.
    show() {
      const where = centre();
      const againstWebgl = where && !where.step && page.comparesWithWebgl();
      let g = where && geometry(where.x, where.y, where.step !== null, !againstWebgl);
      if (g && againstWebgl) {
        // Rings against the middle picture, as the difference map has them.
        g.pixels.forEach((p, i) => {
          const column = g.left + i % g.side, row = g.bottom + g.side - 1 - Math.floor(i / g.side);
          if (p.in_frame) p.reference = page.webglCovers(column, row);
        });
      }
      shown = g && { where, geometry: g };
      $("magnifier").hidden = !g;
      if (!g) return;
      draw($("magnifier-canvas"), g, where);
      const text = caption(g, where);
      // Parsed again only when it changes, which a move of the pixel alone rarely does.
      if (text !== shownCaption) $("magnifier-caption").innerHTML = shownCaption = text;
    },
    // The geometry drawn last and where, or null.
    shown: () => shown && JSON.parse(JSON.stringify(shown)),
  };
}
