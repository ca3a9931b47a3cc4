// What the browser edition's tests share: the paths of the built module, the site and the
// native kelvaro-batch, the module loaded under node, and the geometry of a drawn scene
// laid out as kelvaro-batch's OBJ lays it out.
const crypto = require("node:crypto");
const fs = require("node:fs");
const http = require("node:http");
const { spawnSync } = require("node:child_process");
const path = require("node:path");

const top = path.resolve(__dirname, "../..");
const webBuild = process.env.KELVARO_WEB_BUILD || path.join(top, "build-web");
const site = path.join(webBuild, "site");
const batch = process.env.KELVARO_BATCH || path.join(top, "build/tools/batch/kelvaro-batch");
const examples = path.join(top, "examples");

// The module, instantiated from the built files (node's fetch takes no file paths).
async function loadKelvaro() {
  const moduleFolder = path.join(webBuild, "web");
  const KelvaroModule = require(path.join(moduleFolder, "kelvaro_web.js"));
  return KelvaroModule({ wasmBinary: fs.readFileSync(path.join(moduleFolder, "kelvaro_web.wasm")) });
}

// The lines (each an array of points, each point [x, y, z]) and triangles (each
// {corners, normals}) of one part of a drawn scene, in drawing order: lines and
// polylines of two points or more, as an OBJ file has them.
function partGeometry(part) {
  const lines = [], triangles = [];
  const point = (array, i) => [array[3 * i], array[3 * i + 1], array[3 * i + 2]];
  for (const batch of part.batches) {
    if (batch.primitive === "lines") {
      for (let i = 0; i < batch.positions.length / 3; i += 2) lines.push([point(batch.positions, i), point(batch.positions, i + 1)]);
    } else if (batch.primitive === "polylines") {
      let at = 0;
      for (const count of batch.counts) {
        if (count >= 2) lines.push(Array.from({ length: count }, (_, i) => point(batch.positions, at + i)));
        at += count;
      }
    } else if (batch.primitive === "triangles") {
      for (let i = 0; i < batch.positions.length / 3; i += 3) {
        triangles.push({ corners: [0, 1, 2].map((k) => point(batch.positions, i + k)),
                         normals: [0, 1, 2].map((k) => point(batch.normals, i + k)) });
      }
    }
  }
  return { lines, triangles };
}

// kelvaro-batch run in the examples' folder (for ElectronData): its status and outputs.
function runBatch(args) {
  const run = spawnSync(batch, args, { cwd: examples, encoding: "latin1", maxBuffer: 1 << 30 });
  if (run.error || run.status === null) throw run.error || new Error(`kelvaro-batch ${args.join(" ")}: ${run.signal}`);
  return { status: run.status, out: run.stdout, err: run.stderr };
}

// A float as the OBJ file writes it (%.9g, which gives its bits back), or as C prints
// infinities and not-a-numbers.
function objNumber(word) {
  const special = { inf: Infinity, "-inf": -Infinity, nan: NaN, "-nan": NaN };
  return Math.fround(word in special ? special[word] : Number(word));
}

// The groups of an OBJ text: for each, its lines (point lists) and triangles.
function objGroups(text) {
  const vertices = [], normals = [], groups = new Map();
  let group = null;
  for (const line of text.split("\n")) {
    const [kind, ...words] = line.trim().split(/\s+/);
    if (kind === "v") vertices.push(words.map(objNumber));
    else if (kind === "vn") normals.push(words.map(objNumber));
    else if (kind === "g") groups.set(words[0], group = { lines: [], triangles: [] });
    else if (kind === "l") group.lines.push(words.map((w) => vertices[Number(w) - 1]));
    else if (kind === "f") {
      const refs = words.map((w) => w.split("//").map(Number));
      group.triangles.push({ corners: refs.map(([v]) => vertices[v - 1]),
                             normals: refs.map(([, n]) => (n ? normals[n - 1] : [0, 0, 0])) });
    }
  }
  return groups;
}

// The bits of every coordinate, in order: one digest for the lines, one for the triangles.
function digests({ lines, triangles }) {
  const bits = (points) => Buffer.from(new Float32Array(points.flat(2)).buffer);
  const hash = (buffers) => buffers.reduce((h, b) => h.update(b), crypto.createHash("sha256")).digest("hex");
  return {
    lines: hash(lines.map(bits)),
    linePoints: lines.map((l) => l.length).join(","),
    triangles: hash(triangles.map((t) => bits([...t.corners, ...t.normals]))),
  };
}

const contentTypes = {
  ".html": "text/html", ".js": "text/javascript", ".css": "text/css", ".json": "application/json",
  ".wasm": "application/wasm", ".txt": "text/plain", ".png": "image/png",
};

// Serves `folder` on 127.0.0.1 at a free port, as any static host would; answers
// {url, close()}.
function serveFolder(folder) {
  const server = http.createServer((request, response) => {
    const wanted = decodeURIComponent(new URL(request.url, "http://host").pathname);
    const file = path.join(folder, wanted.endsWith("/") ? `${wanted}index.html` : wanted);
    if (!file.startsWith(folder) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { "Content-Type": contentTypes[path.extname(file)] || "application/octet-stream" });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve({
    url: `http://127.0.0.1:${server.address().port}/`,
    close: () => new Promise((done) => server.close(done)),
  })));
}

// Debian's Chromium, headless, as root on a machine without a network or a GPU: WebGL
// drawn by SwiftShader, in software.
async function launchChromium() {
  const { chromium } = require("playwright-core");
  return chromium.launch({
    executablePath: process.env.KELVARO_CHROMIUM || "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
           "--disable-background-networking", "--disable-component-update", "--disable-sync", "--no-first-run",
           "--disable-quic"],
  });
}

module.exports = { top, webBuild, site, batch, examples, runBatch, loadKelvaro, partGeometry, objGroups, digests, serveFolder, launchChromium };
