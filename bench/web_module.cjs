// The browser edition's builders under node: the time from one moved charge to the whole
// scene built again (the dragged charge's path through the WebAssembly module, on one
// thread), with the processor time it took, and the drawing of the scene into the arrays
// the page hands to WebGL, beside the targets.
//
//   node bench/web_module.cjs      (after scripts/web.sh build)
const fs = require("node:fs");
const path = require("node:path");
const { top, loadKelvaro } = require("../web/tests/support.cjs");

const scenes = [
  { model: "dipole.txt", requests: ["lines 20", "surface 5 leave", "hedgehog 1000"], target: 20 },
  { model: "cloud.txt", requests: ["lines 20", "surface 6 leave"], target: 150 },
];
const repeats = 15;

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

(async () => {
  const kelvaro = await loadKelvaro();
  console.log(`Medians of ${repeats} rebuilds; the processor time is what a quiet machine takes.`);
  console.log(`${"scene".padEnd(52)} rebuild ms  processor ms  drawn into arrays ms  target ms`);
  for (const { model, requests, target } of scenes) {
    const session = new kelvaro.Session();
    session.loadModelText(model, fs.readFileSync(path.join(top, "examples", model), "latin1"));
    for (const words of requests) session.addRequest(words);
    const start = session.state().model.charges[0].position;
    session.beginDrag(0);
    const rebuilds = [], processor = [], draws = [];
    for (let i = 0; i <= repeats; ++i) {
      const t0 = performance.now();
      const cpu = process.cpuUsage();
      if (!session.dragTo(start[0], start[1] + 0.001 * (i + 1), start[2]).done) throw new Error("no rebuild");
      const used = process.cpuUsage(cpu);
      const t1 = performance.now();
      session.drawScene();
      const t2 = performance.now();
      if (i > 0) {  // the first build of a process also makes its grid storage
        rebuilds.push(t1 - t0);
        processor.push((used.user + used.system) / 1000);
        draws.push(t2 - t1);
      }
    }
    session.endDrag();
    const label = `${model}: ${requests.join(", ")}`;
    console.log(`${label.padEnd(52)} ${median(rebuilds).toFixed(1).padStart(10)}  ${median(processor).toFixed(1).padStart(12)}` +
                `  ${median(draws).toFixed(1).padStart(20)}  ${String(target).padStart(9)}`);
  }
})();
