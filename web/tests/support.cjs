// What the browser edition's tests share: the paths of the built module, the site and the
// native kelvaro-batch, the module loaded under node, and the geometry of a drawn scene
// laid out as kelvaro-batch's OBJ lays it out.
const fs = require("node:fs");
const path = require("node:path");

const top = path.resolve(__dirname, "../..");
const webBuild = process.env.KELVARO_WEB_BUILD || path.join(top, "build-web");
const site = path.join(webBuild, "site");
const batch = process.env.KELVARO_BATCH || path.join(top, "build/tools/batch/kelvaro-batch");

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

module.exports = { top, webBuild, site, batch, loadKelvaro, partGeometry };
