"use strict";
// The page's WebGL picture: the scene the module hands over (corners,
// normals, materials, lights and both matrices, as the tools set them up)
// drawn through the browser's WebGL2 by shaders that light each corner as
// OpenGL 1.x's fixed-function pipeline does. Its pixels are the browser's:
// coverage, interpolation and precision are whatever its WebGL draws.
const rasterworkWebgl = (function () {
  const VERTEX_FLOATS = 16;  // the module's layout, web/page_webgl_scene.h
  const MODEL_VIEW_AT = 0, PROJECTION_AT = 16, NORMAL_MATRIX_AT = 32, AMBIENT_AT = 41,
    LIGHTS_AT = 45, LIGHT_FLOATS = 7, MAX_LIGHTS = 8,
    MODEL_VIEW_PROJECTION_AT = LIGHTS_AT + MAX_LIGHTS * LIGHT_FLOATS, UNIFORM_FLOATS = MODEL_VIEW_PROJECTION_AT + 16;

  // highp throughout: mediump moves coverage and colours on some
  // implementations.
  const vertexSource = (lights) => `#version 300 es
precision highp float;
#define LIGHTS ${lights}
in vec4 position;
in vec3 normal;
in vec4 diffuse;
in vec4 specular;
in float shininess;
uniform mat4 modelView;
uniform mat4 modelViewProjection;
uniform mat3 normalMatrix;
uniform vec4 ambient;
uniform vec3 lightDirection[LIGHTS];
uniform vec4 lightColor[LIGHTS];
out vec4 color;
void main() {
  gl_Position = modelViewProjection * position;
  // Lit per corner in eye space; the normal is not renormalised.
  vec3 n = normalMatrix * normal;
  // Light-model ambient times material ambient (both the scene's ambient);
  // the lights add no ambient of their own.
  vec3 c = ambient.rgb * ambient.rgb;
  for (int i = 0; i < LIGHTS; ++i) {
    // A light is a direction (w = 0), turned with the view.
    vec3 l = normalize(mat3(modelView) * lightDirection[i]);
    float nl = dot(n, l);
    c += max(nl, 0.0) * lightColor[i].rgb * diffuse.rgb;
    if (nl > 0.0) {
      // The infinite viewer's half vector.
      vec3 h = normalize(l + vec3(0.0, 0.0, 1.0));
      float nh = max(dot(n, h), 0.0);
      float factor = shininess == 0.0 ? 1.0 : nh > 0.0 ? pow(nh, shininess) : 0.0;
      c += factor * lightColor[i].rgb * specular.rgb;
    }
  }
  color = clamp(vec4(c, diffuse.a), 0.0, 1.0);
}`;

  const FRAGMENT_SOURCE = `#version 300 es
precision highp float;
in vec4 color;
out vec4 fragColor;
void main() {
  fragColor = color;
}`;

  let canvas = null, gl = null, program = null, programLights = -1, buffer = null;
  const info = { webgl2: false, vendor: "", renderer: "", unmasked: false, reason: "" };

  function compile(type, source) {
    const shader = gl.createShader(type);
    gl.shaderSource(shader, source);
    gl.compileShader(shader);
    if (!gl.getShaderParameter(shader, gl.COMPILE_STATUS)) {
      throw new Error("a shader does not compile: " + gl.getShaderInfoLog(shader));
    }
    return shader;
  }

  function useProgram(lights) {
    if (program && programLights === lights) return;
    if (program) gl.deleteProgram(program);
    program = gl.createProgram();
    gl.attachShader(program, compile(gl.VERTEX_SHADER, vertexSource(lights)));
    gl.attachShader(program, compile(gl.FRAGMENT_SHADER, FRAGMENT_SOURCE));
    gl.linkProgram(program);
    if (!gl.getProgramParameter(program, gl.LINK_STATUS)) {
      throw new Error("the shaders do not link: " + gl.getProgramInfoLog(program));
    }
    programLights = lights;
  }

  // Opens the context once; what it found stays in info.
  function open() {
    if (canvas) return info;
    canvas = document.createElement("canvas");
    canvas.addEventListener("webglcontextlost", (event) => {
      event.preventDefault();
      info.webgl2 = false;
      info.reason = "the browser took the WebGL2 context away";
    });
    // No multisampling and no premultiplied alpha: each pixel is covered or
    // not, and alpha says which.
    gl = canvas.getContext("webgl2", { antialias: false, premultipliedAlpha: false, alpha: true,
      depth: true, stencil: false, preserveDrawingBuffer: false });
    if (!gl) {
      info.reason = "this browser gives no WebGL2 context";
      return info;
    }
    const debug = gl.getExtension("WEBGL_debug_renderer_info");
    info.unmasked = !!debug;
    info.vendor = String(gl.getParameter(debug ? debug.UNMASKED_VENDOR_WEBGL : gl.VENDOR));
    info.renderer = String(gl.getParameter(debug ? debug.UNMASKED_RENDERER_WEBGL : gl.RENDERER));
    buffer = gl.createBuffer();
    info.webgl2 = true;
    return info;
  }

  function setUniforms(u, lights) {
    const at = (name) => gl.getUniformLocation(program, name);
    gl.uniformMatrix4fv(at("modelView"), false, u.subarray(MODEL_VIEW_AT, MODEL_VIEW_AT + 16));
    gl.uniformMatrix4fv(at("modelViewProjection"), false,
      u.subarray(MODEL_VIEW_PROJECTION_AT, MODEL_VIEW_PROJECTION_AT + 16));
    gl.uniformMatrix3fv(at("normalMatrix"), false,
      u.subarray(NORMAL_MATRIX_AT, NORMAL_MATRIX_AT + 9));
    gl.uniform4fv(at("ambient"), u.subarray(AMBIENT_AT, AMBIENT_AT + 4));
    // With no light the shader keeps one that adds nothing.
    const directions = new Float32Array(3 * Math.max(lights, 1)).fill(1);
    const colours = new Float32Array(4 * Math.max(lights, 1));
    for (let i = 0; i < lights; ++i) {
      const light = LIGHTS_AT + LIGHT_FLOATS * i;
      directions.set(u.subarray(light, light + 3), 3 * i);
      colours.set(u.subarray(light + 3, light + 7), 4 * i);
    }
    gl.uniform3fv(at("lightDirection[0]"), directions);
    gl.uniform4fv(at("lightColor[0]"), colours);
  }

  function bindAttributes() {
    const layout = [["position", 4, 0], ["normal", 3, 4], ["diffuse", 4, 7], ["specular", 4, 11],
      ["shininess", 1, 15]];
    for (const [name, size, offset] of layout) {
      const location = gl.getAttribLocation(program, name);
      if (location < 0) continue;
      gl.enableVertexAttribArray(location);
      gl.vertexAttribPointer(location, size, gl.FLOAT, false, VERTEX_FLOATS * 4, offset * 4);
    }
  }

  // Draws the view at width x height and reads it back at once (the drawing
  // buffer is not kept): r, g, b, a bytes per pixel, rows from the bottom,
  // a = 0 where no face was drawn. Throws with the reason when it cannot.
  function draw(wasm, view, width, height) {
    if (!open().webgl2 || gl.isContextLost()) {
      throw new Error(info.reason || "the WebGL2 context was lost");
    }
    canvas.width = width;
    canvas.height = height;
    if (gl.drawingBufferWidth !== width || gl.drawingBufferHeight !== height) {
      throw new Error("this WebGL draws at most " + gl.drawingBufferWidth + " x " +
        gl.drawingBufferHeight + " here");
    }
    const corners = wasm._rw_webgl_scene(view.angleZ, view.angleX, view.zoom, view.panX,
      view.panY, width, height);
    const lights = wasm._rw_webgl_light_count();
    const floats = (pointer, length) =>
      new Float32Array(wasm.HEAPU8.buffer, pointer, length).slice();
    const vertices = floats(wasm._rw_webgl_vertices(), corners * VERTEX_FLOATS);
    const uniforms = floats(wasm._rw_webgl_uniforms(), UNIFORM_FLOATS);
    useProgram(Math.max(lights, 1));
    gl.useProgram(program);
    gl.bindBuffer(gl.ARRAY_BUFFER, buffer);
    gl.bufferData(gl.ARRAY_BUFFER, vertices, gl.DYNAMIC_DRAW);
    bindAttributes();
    setUniforms(uniforms, lights);
    gl.viewport(0, 0, width, height);
    gl.disable(gl.BLEND);
    gl.disable(gl.CULL_FACE);
    gl.disable(gl.DITHER);
    gl.enable(gl.DEPTH_TEST);
    gl.depthFunc(gl.LESS);
    gl.depthMask(true);
    gl.clearColor(0, 0, 0, 0);
    gl.clearDepth(1);
    gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
    gl.drawArrays(gl.TRIANGLES, 0, corners);
    const bytes = new Uint8Array(width * height * 4);
    gl.pixelStorei(gl.PACK_ALIGNMENT, 1);
    gl.readPixels(0, 0, width, height, gl.RGBA, gl.UNSIGNED_BYTE, bytes);
    const error = gl.getError();
    if (error !== gl.NO_ERROR) throw new Error("WebGL reported error 0x" + error.toString(16));
    return bytes;
  }

  return { open, draw, info };
})();
