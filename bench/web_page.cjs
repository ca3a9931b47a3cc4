// The browser edition in Debian's headless Chromium (through the DevTools protocol, with
// playwright-core): the first picture of the dipole after the page is opened on
// 127.0.0.1 (served by Python's http.server, as scripts/web.sh serves it), everything the
// page downloads (raw and gzipped), and the rebuild after a moved charge in the page's
// worker and the page's handling of its answer, beside the targets. WebGL is drawn in
// software here (SwiftShader), which the round trip of a rebuild includes.
//
//   node bench/web_page.cjs      (after scripts/web.sh build and npm ci in web/)
const { spawn } = require("node:child_process");
const net = require("node:net");
const zlib = require("node:zlib");
const { site, launchChromium } = require("../web/tests/support.cjs");

const scenes = [
  { model: "dipole.txt", requests: ["lines 20", "surface 5 leave", "hedgehog 1000"], target: 20 },
  { model: "cloud.txt", requests: ["lines 20", "surface 6 leave"], target: 150 },
];
const repeats = 15;
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

// The site served as scripts/web.sh serves it, by Python's http.server, on a free port.
async function pythonServer() {
  const port = await new Promise((resolve) => {
    const probe = net.createServer().listen(0, "127.0.0.1", () => {
      const { port: free } = probe.address();
      probe.close(() => resolve(free));
    });
  });
  const server = spawn("python3", ["-m", "http.server", String(port), "--bind", "127.0.0.1", "--directory", site],
                       { stdio: "ignore" });
  const url = `http://127.0.0.1:${port}/`;
  for (let tries = 0; ; ++tries) {
    try {
      await fetch(url);
      break;
    } catch (error) {
      if (tries > 100) throw error;
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
  }
  return { url, close: () => server.kill() };
}

(async () => {
  const server = await pythonServer();
  const browser = await launchChromium();
  try {
    const page = await browser.newPage({ viewport: { width: 1000, height: 700 } });
    const downloads = [];
    page.on("response", async (response) => {
      try {
        const body = await response.body();
        downloads.push({ url: response.url(), bytes: body.length, gzipped: zlib.gzipSync(body, { level: 9 }).length });
      } catch {
        // a response without a body (a redirect)
      }
    });
    await page.goto(server.url);
    await page.waitForFunction(() => performance.getEntriesByName("kelvaro-first-picture").length > 0, null,
                               { timeout: 60000 });
    const first = await page.evaluate(() => performance.getEntriesByName("kelvaro-first-picture")[0].startTime);
    await page.waitForFunction(() => document.body.dataset.ready === "true");
    await page.waitForTimeout(500);
    const bytes = downloads.reduce((sum, d) => sum + d.bytes, 0);
    const gzipped = downloads.reduce((sum, d) => sum + d.gzipped, 0);
    console.log(`first picture of the dipole: ${first.toFixed(0)} ms after the page was opened (target 1500)`);
    console.log(`downloaded: ${downloads.length} files, ${(bytes / 1024).toFixed(0)} KiB, ` +
                `${(gzipped / 1024).toFixed(0)} KiB gzipped (target under 1 MB gzipped)`);
    for (const d of [...downloads].sort((a, b) => b.gzipped - a.gzipped).slice(0, 5)) {
      console.log(`  ${(d.gzipped / 1024).toFixed(0).padStart(5)} KiB gzipped  ${new URL(d.url).pathname}`);
    }
    console.log(`${"scene".padEnd(52)} rebuild in the worker ms  round trip ms  target ms`);
    for (const { model, requests, target } of scenes) {
      const [builds, trips] = await page.evaluate(async ({ model, requests, repeats }) => {
        const client = window.kelvaroPage.client;
        const text = await (await fetch(`examples/${model}`)).text();
        await client.send("load", { name: model, text });
        for (const words of requests) await client.send("add", { words });
        const start = window.kelvaroPage.state.model.charges[0].position;
        await client.send("beginDrag", { index: 0 });
        const builds = [], trips = [];
        for (let i = 0; i <= repeats; ++i) {
          const t0 = performance.now();
          const answer = await client.send("dragTo", { position: [start[0], start[1] + 0.001 * (i + 1), start[2]] });
          if (i > 0) {
            builds.push(answer.milliseconds);
            trips.push(performance.now() - t0);
          }
        }
        await client.send("endDrag");
        return [builds, trips];
      }, { model, requests, repeats });
      const label = `${model}: ${requests.join(", ")}`;
      console.log(`${label.padEnd(52)} ${median(builds).toFixed(1).padStart(24)}  ${median(trips).toFixed(1).padStart(13)}` +
                  `  ${String(target).padStart(9)}`);
    }
  } finally {
    await browser.close();
    server.close();
  }
})();
