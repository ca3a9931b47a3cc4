// The browser edition computes what kelvaro-batch computes, to the bit: for every example
// and every degenerate model, and several lists of requests, the model's info, the scene's
// text form, the size of each visualisation and its geometry (digests of every coordinate's
// bits, lines and triangles with their normals) are the same.
const test = require("node:test");
const assert = require("node:assert/strict");
const fs = require("node:fs");
const path = require("node:path");
const { top, batch, examples, runBatch, loadKelvaro, partGeometry, objGroups, digests } = require("./support.cjs");

const degenerate = path.join(top, "tests/viz/degenerate_models");
const modelFiles = [
  ...fs.readdirSync(examples).filter((f) => f.endsWith(".txt")).map((f) => path.join(examples, f)),
  ...fs.readdirSync(degenerate).filter((f) => f.endsWith(".txt")).map((f) => path.join(degenerate, f)),
];
const requestLists = [
  ["lines 20"],
  ["hedgehog 1000"],
  ["surface 5 leave"],
  ["lines 7", "hedgehog 300", "surface -2 enter", "hedgehog 50", "surface 0.25 leave"],
];

// kelvaro-batch's "stats" sizes of each request.
function statsSizes(text) {
  const sizes = [];
  for (const line of text.split("\n")) {
    const [key, value] = line.split(": ");
    if (key === "request") sizes.push({});
    else if (["polylines", "line_points", "triangles"].includes(key)) sizes[sizes.length - 1][key] = Number(value);
  }
  return sizes;
}

// The same sizes of a part of the drawn scene.
function partSizes(part) {
  const sizes = { polylines: 0, line_points: 0, triangles: 0 };
  for (const drawn of part.batches) {
    if (drawn.primitive === "lines") sizes.line_points += drawn.positions.length / 3;
    if (drawn.primitive === "polylines") {
      sizes.polylines += drawn.counts.length;
      sizes.line_points += drawn.counts.reduce((a, b) => a + b, 0);
    }
    if (drawn.primitive === "triangles") sizes.triangles += drawn.positions.length / 9;
  }
  return sizes;
}

test("the web module builds what kelvaro-batch builds, to the bit", { timeout: 900000 }, async (t) => {
  assert.ok(fs.existsSync(batch), `kelvaro-batch is built at ${batch}`);
  const kelvaro = await loadKelvaro();
  for (const file of modelFiles) {
    const name = path.basename(file);
    const text = fs.readFileSync(file, "latin1");
    await t.test(name, () => {
      const session = new kelvaro.Session();
      const loaded = session.loadModelText(file, text);
      const info = runBatch(["info", file]);
      if (!loaded.done) {
        assert.notEqual(info.status, 0, "both refuse the file");
        assert.equal(loaded.messages, info.err, "the same words of the reader");
        return;
      }
      const warnings = loaded.messages.split("\n").filter(Boolean).map((l) => `warning: ${l}\n`).join("");
      assert.equal(session.state().model.info + warnings, info.out, "info and the reader's warnings");
      assert.equal(session.sceneText() + "\n", runBatch(["print", file]).out, "the model's own scene text");

      for (const requests of requestLists) {
        const web = new kelvaro.Session();
        web.loadModelText(file, text);
        const added = requests.map((words) => web.addRequest(words));
        const label = `${name} ${requests.join(", ")}`;
        const words = requests.flatMap((r) => r.split(" "));
        const printed = runBatch(["print", file, ...words]);
        const sceneText = web.sceneText();
        if (printed.status === 3) assert.equal(sceneText, null, `${label}: no text form, as in kelvaro-batch`);
        else if (printed.status === 0) assert.equal(sceneText + "\n", printed.out, `${label}: scene text`);

        const statsRun = runBatch(["stats", file, ...words]);
        assert.equal(added.map((a) => a.messages).join(""), statsRun.err, `${label}: the same failures`);
        const stats = statsSizes(statsRun.out).filter((_, i) => added[i].done);
        const parts = web.drawScene().parts.filter((p) => p.visualisation >= 0);
        assert.deepEqual(parts.map(partSizes), stats, `${label}: sizes`);

        const [modelGroup, ...groups] = objGroups(runBatch(["obj", file, ...words]).out).values();
        const modelPart = web.drawScene().parts[0];
        assert.deepEqual(digests(partGeometry(modelPart)).lines, digests(modelGroup).lines, `${label}: the axes`);
        assert.equal(groups.length, parts.length, `${label}: visualisations in the OBJ file`);
        parts.forEach((part, i) => {
          assert.deepEqual(digests(partGeometry(part)), digests(groups[i]), `${label}: geometry of request ${i + 1}`);
        });
      }
    });
  }
});
