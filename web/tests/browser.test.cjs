// The built site in headless Chromium, driven as a teacher would use it: the dipole
// loaded, field lines and a surface added and seen (pixels of the red and blue charges,
// the lines and the red surface), a charge dragged with real pointer events (the scene
// follows, and the new geometry is kelvaro-batch's for the moved charge), the link of the
// scene opened in a new page (the same picture), a broken file and a broken link told in
// words. The screenshots are kept in build-web/browser-test/.
const test = require("node:test");
const assert = require("node:assert/strict");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const { PNG } = require("./png.cjs");
const { webBuild, site, runBatch, partGeometry, objGroups, digests, serveFolder, launchChromium } =
  require("./support.cjs");

const shots = path.join(webBuild, "browser-test");
const viewport = { width: 1000, height: 700 };
let server, browser;

test.before(async () => {
  fs.mkdirSync(shots, { recursive: true });
  server = await serveFolder(site);
  browser = await launchChromium();
});
test.after(async () => {
  if (browser) await browser.close();
  if (server) await server.close();
});

async function openPage(fragment = "") {
  const page = await browser.newPage({ viewport });
  const errors = [];
  page.on("pageerror", (error) => errors.push(error.message));
  await page.goto(server.url + fragment);
  await page.waitForFunction(() => document.body.dataset.ready === "true", null, { timeout: 60000 });
  page.errors = errors;
  return page;
}

// Waits until the worker has answered everything asked and the answer is drawn.
async function settled(page) {
  await page.waitForFunction(() => !window.kelvaroPage.client.busy, null, { timeout: 60000 });
  await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
}

async function screenshot(page, name) {
  await settled(page);
  const file = path.join(shots, `${name}.png`);
  await page.locator("#scene").screenshot({ path: file });
  return PNG.read(file);
}

// Pixels of the picture for which `test(r, g, b)` holds.
const count = (picture, test) => picture.count(test);
const red = (r, g, b) => r > 150 && g < 90 && b < 90;
const blue = (r, g, b) => b > 150 && r < 110 && g < 160;
const yellow = (r, g, b) => r > 110 && g > 110 && b < 70;
const reddish = (r, g, b) => r > g + 25 && r > b + 25;

async function addRequest(page, kind, values) {
  const form = page.locator(`form[data-kind=${kind}]`);
  for (const [field, value] of Object.entries(values)) {
    const control = form.locator(`[name=${field}]`);
    if (await control.evaluate((element) => element.tagName === "SELECT")) await control.selectOption(value);
    else await control.fill(value);
  }
  await form.locator("button").click();
  await settled(page);
}

// The page's charge `index` on the screen.
const chargeOnScreen = (page, index) => page.evaluate((i) => {
  const view = window.kelvaroPage.view;
  const [x, y] = view.clientPointOf(window.kelvaroPage.state.model.charges[i].position);
  const rect = view.canvas.getBoundingClientRect();
  return { x, y, inCanvas: [x - rect.left, y - rect.top] };
}, index);

test("a teacher's session in the browser", { timeout: 240000 }, async (t) => {
  const page = await openPage();
  await page.selectOption("#examples", "dipole.txt");
  await page.click("#load-example");
  await settled(page);
  assert.deepEqual(await page.evaluate(() => window.kelvaroPage.state.visualisations), []);
  const bare = await screenshot(page, "1-dipole");
  const [plus, minus] = [await chargeOnScreen(page, 0), await chargeOnScreen(page, 1)];
  assert.ok(red(...bare.at(...plus.inCanvas)), `the positive charge is red: ${bare.at(...plus.inCanvas)}`);
  assert.ok(blue(...bare.at(...minus.inCanvas)), `the negative charge is blue: ${bare.at(...minus.inCanvas)}`);

  await t.test("field lines and a surface are added and seen", async () => {
    await addRequest(page, "lines", { count: "12" });
    const lines = await screenshot(page, "2-lines");
    assert.ok(count(lines, yellow) > 20 * count(bare, yellow) + 2000, "yellow field lines");
    await addRequest(page, "surface", { potential: "1.5", direction: "leave" });
    const surface = await screenshot(page, "3-surface");
    await page.screenshot({ path: path.join(shots, "page.png") });
    assert.ok(count(surface, reddish) > count(lines, reddish) + 3000, "the red surface of a positive potential");
    assert.deepEqual(page.errors, []);
  });

  await t.test("a refused value is told beside its field", async () => {
    await addRequest(page, "hedgehog", { count: "12x" });
    assert.equal(await page.locator("form[data-kind=hedgehog] .refusal").textContent(), '"12x" is not a whole number');
    await page.locator("#charge-form [name=x]").fill("9");
    await page.locator("#charge-form [name=apply]").click();
    await settled(page);
    assert.equal(await page.locator("#charge-form .refusal").textContent(),
                 'X "9" lies outside the model\'s box, -1.5 to 1.5.');
  });

  let dragged;
  await t.test("a charge dragged with the pointer: the scene follows, as kelvaro-batch builds it", async () => {
    const before = await screenshot(page, "3-surface");
    const start = await chargeOnScreen(page, 0);
    await page.mouse.move(start.x, start.y);
    await page.mouse.down();
    for (let step = 1; step <= 10; ++step) await page.mouse.move(start.x + 4 * step, start.y - 8 * step);
    await page.mouse.up();
    await settled(page);
    dragged = await screenshot(page, "4-dragged");
    const moved = await page.evaluate(() => window.kelvaroPage.state.model.charges[0].position);
    assert.ok(moved[1] > 0.2, `the charge went up: ${moved}`);
    assert.ok(before.differences(dragged) > 1000, "the picture changed");

    const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), "kelvaro-")), "dragged.txt");
    fs.writeFileSync(file, await page.evaluate(() => window.kelvaroPage.modelText));
    const words = (await page.evaluate(() => window.kelvaroPage.state.visualisations)).map((v) => v.words);
    const native = [...objGroups(runBatch(["obj", file, ...words.flatMap((w) => w.split(" "))]).out).values()].slice(1);
    const parts = (await page.evaluate(() => {
      // Typed arrays as plain arrays, to come out of the page.
      const plain = (part) => ({ batches: part.batches.map((b) => Object.fromEntries(Object.entries(b).map(
        ([k, v]) => [k, ArrayBuffer.isView(v) ? Array.from(v) : v]))) });
      return window.kelvaroPage.scene.parts.filter((p) => p.visualisation >= 0).map(plain);
    })).map((part) => ({ batches: part.batches.map((b) => ({ ...b, positions: Float32Array.from(b.positions),
      normals: b.normals && Float32Array.from(b.normals), counts: b.counts })) }));
    assert.equal(parts.length, native.length);
    parts.forEach((part, i) => assert.deepEqual(digests(partGeometry(part)), digests(native[i]), words[i]));

    await page.keyboard.press("Control+z");
    await settled(page);
    assert.deepEqual(await page.evaluate(() => window.kelvaroPage.state.model.charges[0].position), [-0.5, 0, 0],
                     "Ctrl+Z takes back the whole drag");
    await page.keyboard.press("Control+y");
    await settled(page);
  });

  await t.test("the link of the scene opens the same picture", async () => {
    await page.click("#share");
    await page.waitForFunction(() => /^The link to this scene/.test(document.getElementById("messages").textContent));
    const link = await page.evaluate(() => location.hash);
    const here = await screenshot(page, "5-shared");
    const opened = await openPage(link);
    await settled(opened);
    const there = await screenshot(opened, "6-opened-link");
    assert.deepEqual(await opened.evaluate(() => window.kelvaroPage.modelText),
                     await page.evaluate(() => window.kelvaroPage.modelText));
    assert.equal(here.differences(there), 0, "the same pixels");
    await opened.close();
  });

  await t.test("builders that stop (as when their memory runs out) are started again with the scene", async () => {
    const before = await page.evaluate(() => [window.kelvaroPage.modelText, window.kelvaroPage.state.visualisations]);
    await page.evaluate(() => window.kelvaroPage.client.send("an action the worker fails on"));
    await page.waitForFunction(() => /^The builders stopped/.test(document.getElementById("messages").textContent));
    await settled(page);
    assert.deepEqual(await page.evaluate(() => [window.kelvaroPage.modelText, window.kelvaroPage.state.visualisations]),
                     before);
    await addRequest(page, "hedgehog", { count: "30" });
    assert.equal((await page.evaluate(() => window.kelvaroPage.state.visualisations)).length, before[1].length + 1,
                 "the page still works");
  });

  await t.test("the panel's other commands: hide, remove, save, a dropped file, a new model", async () => {
    const shown = () => page.evaluate(() => window.kelvaroPage.scene.parts.map((p) => p.visualisation));
    const listed = (await page.evaluate(() => window.kelvaroPage.state.visualisations)).length;
    await page.locator("#visualisations li").first().locator("input").uncheck();
    await settled(page);
    assert.deepEqual(await shown(), [-1, ...Array.from({ length: listed - 1 }, (_, i) => i + 1)], "the first hidden");
    await page.locator("#visualisations li").first().locator("button").click();
    await settled(page);
    assert.equal((await page.evaluate(() => window.kelvaroPage.state.visualisations)).length, listed - 1);

    const [model] = await Promise.all([page.waitForEvent("download"), page.click("#save-model")]);
    assert.equal(fs.readFileSync(await model.path(), "latin1"), await page.evaluate(() => window.kelvaroPage.modelText));
    assert.equal(model.suggestedFilename(), "dipole.txt");
    const [picture] = await Promise.all([page.waitForEvent("download"), page.click("#save-picture")]);
    const saved = PNG.read(await picture.path());
    assert.ok(saved.width > 100 && count(saved, red) > 50, "a PNG of the view, with the red charge");

    await page.evaluate(async (text) => {
      const files = new DataTransfer();
      files.items.add(new File([text], "dropped.txt", { type: "text/plain" }));
      document.body.dispatchEvent(new DragEvent("drop", { dataTransfer: files, bubbles: true, cancelable: true }));
    }, 'MODEL "Dropped"\nBOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 2 AT 0, 0, 0');
    await page.waitForFunction(() => /^Dropped - dropped\.txt, 1 charge/.test(document.getElementById("model-name").textContent));

    await page.click("#new-model");
    await page.waitForFunction(() => window.kelvaroPage.state.model && window.kelvaroPage.state.model.name === "New model");
    await page.locator("#charge-form [name=add]").click();
    await settled(page);
    assert.deepEqual(await page.evaluate(() => window.kelvaroPage.state.model.charges.map((c) => c.position)), [[0, 0, 0]]);
    await page.click("#undo");
    await settled(page);
    assert.equal(await page.evaluate(() => window.kelvaroPage.state.model.charges.length), 0);
    await page.click("#redo");
    await settled(page);
    assert.equal(await page.evaluate(() => window.kelvaroPage.state.model.charges.length), 1);
    await page.selectOption("#examples", "dipole.txt");
    await page.click("#load-example");
    await settled(page);
  });

  await t.test("a broken file is told in words and the model is kept", async () => {
    await page.setInputFiles("#file", { name: "broken.txt", mimeType: "text/plain",
                                        buffer: Buffer.from('MODEL "Broken"\n\nPOINT 1 AT 0, 0, 0\n') });
    await settled(page);
    assert.match(await page.locator("#messages").textContent(),
                 /^Failed to read in model correctly\.\nbroken\.txt:2: a blank line/);
    assert.match(await page.locator("#model-name").textContent(), /^Dipole - dipole\.txt/);
  });

  await t.test("a broken link opens the page with a message and no model", async () => {
    const broken = await openPage("#scene=AAAA-not-a-scene");
    assert.match(await broken.locator("#messages").textContent(), /^This link holds no scene that can be shown: /);
    assert.equal(await broken.evaluate(() => window.kelvaroPage.state.model), null);
    await broken.close();
  });
  await page.close();
});
