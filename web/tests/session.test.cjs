// The browser edition's entry point as the page uses it: bad input refused with the
// program's words and the model kept, edits and their history, a dragged charge, the
// model's text, the teaching style's marks, and nothing referenced of GL.
const test = require("node:test");
const assert = require("node:assert/strict");
const fs = require("node:fs");
const path = require("node:path");
const { webBuild, loadKelvaro, partGeometry, top } = require("./support.cjs");

const dipole = fs.readFileSync(path.join(top, "examples/dipole.txt"), "latin1");
let kelvaro;
test.before(async () => {
  kelvaro = await loadKelvaro();
});

function dipoleSession(...requests) {
  const session = new kelvaro.Session();
  assert.equal(session.loadModelText("dipole.txt", dipole).done, true);
  for (const words of requests) assert.equal(session.addRequest(words).done, true, words);
  return session;
}

const positions = (session) => session.state().model.charges.map((c) => c.position);

test("a file that cannot be read is told in the reader's words and the model is kept", () => {
  const session = dipoleSession("lines 5");
  const before = session.sceneText();
  const broken = session.loadModelText("broken.txt", 'MODEL "x"\nBOUNDS FROM 0, 0, 0 TO 1, 1, 1\n# a comment\n');
  assert.equal(broken.done, false);
  assert.match(broken.messages, /^Failed to read in model correctly\.\nbroken\.txt:3: a character that cannot stand there/);
  assert.equal(session.sceneText(), before);
  assert.equal(session.state().visualisations.length, 1);
  assert.equal(session.loadModelText("empty.txt", "").done, false, "an empty file has no BOUNDS");
});

test("a dropped statement is warned about, and the model is loaded without it", () => {
  const session = new kelvaro.Session();
  const loaded = session.loadModelText("warned.txt", "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT +1 AT 0, 0, 0\nPOINT 2 AT 0.5, 0, 0");
  assert.equal(loaded.done, true);
  assert.match(loaded.messages, /^warned\.txt:2: .*: POINT \+1 AT 0, 0, 0\n$/);
  assert.deepEqual(session.state().model.charges.map((c) => c.value), [2]);
});

test("request words that state no request are refused with the reason, and nothing is added", () => {
  const session = dipoleSession();
  assert.deepEqual(session.addRequest("lines many"), { done: false, messages: '"many" is not a whole number\n' });
  assert.equal(session.addRequest("surface 5 sideways").done, false);
  assert.equal(session.addRequest("lines 5 6").messages, "words after the end of the request\n");
  assert.equal(session.state().visualisations.length, 0);
  assert.equal(new kelvaro.Session().addRequest("lines 5").messages, "Cannot render field lines. Sorry.\n",
               "without a model, the program's failure line");
});

test("a plane and lines coloured by strength, which the page cannot draw, are refused and say so", () => {
  const session = dipoleSession();
  assert.deepEqual(session.addRequest("plane z 0 fieldlines 8"), {
    done: false,
    messages: "The browser edition cannot draw a plane through the field (its colours); the program, " +
              "kelvaro-batch png and Python can.\n" });
  assert.match(session.addRequest("lines 5 strength accurate").messages, /cannot colour lines by strength/);
  assert.equal(session.addRequest("lines 5 proportional accurate").done, true, "the other options are drawn");
  assert.equal(session.addRequest("lines 5 accurate euler").messages, "lines 5 names its tracer once, accurate or euler\n");
  assert.deepEqual(session.state().visualisations.map((v) => v.words), ["lines 5 accurate proportional"]);
});

test("a request's words come back exactly, clamped to the dialogs' limits", () => {
  const session = dipoleSession("surface 0.1 enter", "lines 500", "hedgehog 0");
  assert.deepEqual(session.state().visualisations.map((v) => v.words), ["surface 0.1 enter", "lines 100", "hedgehog 1"]);
});

test("typed charges are refused in the program's words, and the model stays", () => {
  const session = dipoleSession();
  assert.deepEqual(session.applyCharge(0, "abc", "0", "0", "0"), { done: false, messages: 'Value "abc" is not a number.\n' });
  assert.equal(session.applyCharge(0, "1", "2", "0", "0").messages, 'X "2" lies outside the model\'s box, -1.5 to 1.5.\n');
  assert.equal(session.applyCharge(5, "1", "0", "0", "0").messages, "There is no charge to change: Add Charge makes one.\n");
  assert.deepEqual(positions(session), [[-0.5, 0, 0], [0.5, 0, 0]]);
  assert.equal(session.applyCharge(1, "-2", "0.25", "1e-1", "0").done, true);
  assert.deepEqual(session.state().model.charges[1].texts, ["-2", "0.25", "0.1", "0"]);
});

test("adding and deleting charges are steps that undo and redo take back and bring again", () => {
  const session = dipoleSession("lines 3");
  const original = session.sceneText();
  assert.equal(session.addCharge().done, true);
  assert.deepEqual(positions(session)[2], [0, 0, 0], "a new charge of 1 at the centre of the box");
  assert.equal(session.deleteCharge(0).done, true);
  assert.equal(session.state().model.charges.length, 2);
  assert.equal(session.undo().done, true);
  assert.equal(session.undo().done, true);
  assert.equal(session.sceneText(), original);
  assert.equal(session.undo().done, true, "the added field lines");
  assert.equal(session.state().visualisations.length, 0);
  assert.equal(session.undo().done, false, "nothing before the load");
  assert.equal(session.redo().done, true);
  assert.equal(session.redo().done, true);
  assert.equal(session.state().model.charges.length, 3);
  assert.equal(session.deleteCharge(9).messages, "There is no charge to delete.\n");
});

test("a dragged charge stops at the box, the scene follows, and the whole drag is one step", () => {
  const session = dipoleSession("lines 4");
  const before = session.sceneText();
  assert.equal(session.beginDrag(0).done, true);
  assert.equal(session.dragTo(-0.5, 0.4, 0).done, true);
  assert.equal(session.dragTo(-0.5, 0.9, 7).done, true);
  assert.equal(session.endDrag().done, false, "the last position was built already");
  assert.deepEqual(positions(session)[0], [-0.5, 0.8999999761581421, 1.5]);
  const moved = session.modelText();
  const fresh = new kelvaro.Session();
  fresh.loadModelText("moved.txt", moved);
  fresh.addRequest("lines 4");
  assert.equal(session.sceneText(), fresh.sceneText(), "as loading the moved model gives it");
  assert.equal(session.undo().done, true);
  assert.equal(session.sceneText(), before, "one undo takes back the whole drag");
  assert.equal(session.beginDrag(7).done, false, "no such charge");
});

test("hidden visualisations leave the scene and come back in their place", () => {
  const session = dipoleSession("lines 2", "hedgehog 10", "lines 3");
  const all = session.sceneText();
  assert.equal(session.setHidden(1, true).done, true);
  assert.deepEqual(session.drawScene().parts.map((p) => p.visualisation), [-1, 0, 2]);
  assert.equal(session.setHidden(1, false).done, true);
  assert.equal(session.sceneText(), all);
  assert.equal(session.removeVisualisation(0).done, true);
  assert.deepEqual(session.state().visualisations.map((v) => v.words), ["hedgehog 10", "lines 3"]);
});

test("each model loaded draws its hedgehogs from the generator's start, as kelvaro-batch does", () => {
  const once = dipoleSession("hedgehog 20");
  const again = dipoleSession("hedgehog 5");
  again.loadModelText("dipole.txt", dipole);
  again.addRequest("hedgehog 20");
  assert.equal(again.sceneText(), once.sceneText());
});

test("the model's text loads back into the same model, and a model made from values", () => {
  const session = dipoleSession();
  session.applyCharge(0, "0.1", "0.3", "-0.7", "1.25e-3");
  const copy = new kelvaro.Session();
  copy.loadModelText("copy.txt", session.modelText());
  assert.equal(copy.state().model.info, session.state().model.info);
  const made = new kelvaro.Session();
  assert.equal(made.newModel("Flat", 0, 0, 0, 1, 1, 0, true).done, false);
  assert.equal(made.newModel("Empty", 1, 1, 1, -1, -1, -1, true).done, true);
  assert.deepEqual(made.state().model.bounds, [-1, -1, -1, 1, 1, 1]);
  assert.equal(made.addCharge().done, true);
});

test("potential and field at a point, as Coulomb's law gives them", () => {
  const session = dipoleSession();
  assert.equal(session.potentialAt(0, 0.5, 0), 0, "the dipole's plane of symmetry");
  assert.ok(Math.abs(session.potentialAt(1.5, 0, 0) - (1 / 2 - 1 / 1)) < 1e-6);
  const [fx, fy, fz] = session.fieldAt(0, 0, 0);
  assert.ok(Math.abs(fx - 8) < 1e-5 && fy === 0 && fz === 0, `${fx} ${fy} ${fz}`);
  assert.equal(new kelvaro.Session().potentialAt(0, 0, 0), null);
});

test("the drawn scene has the teaching style's marks: red and blue balls, arrowheads along the lines", () => {
  const drawn = dipoleSession("lines 10", "surface 5 leave").drawScene();
  assert.deepEqual(drawn.balls.map((b) => b.color.map((c) => Math.round(c * 100) / 100)), [[0.9, 0.12, 0.1], [0.2, 0.45, 1]]);
  const [model, lines, surface] = drawn.parts;
  assert.deepEqual(model.batches.map((b) => b.primitive), ["spheres", "lines"]);
  assert.ok(lines.arrowheads.length / 9 > 20, "arrowheads on the field lines");
  assert.equal(surface.arrowheads.length, 0);
  const [triangles] = surface.batches;
  assert.equal(triangles.lit, true);
  assert.equal(triangles.diffuse[3], Math.fround(0.6), "translucent");
  assert.ok(triangles.diffuse[0] > triangles.diffuse[1], "red for a positive potential");
  assert.ok(partGeometry(surface).triangles.length > 50);
});

test("the module references no GL function", () => {
  const wasm = fs.readFileSync(path.join(webBuild, "web/kelvaro_web.wasm"));
  const js = fs.readFileSync(path.join(webBuild, "web/kelvaro_web.js"), "latin1");
  const imports = WebAssembly.Module.imports(new WebAssembly.Module(wasm)).map((i) => i.name);
  assert.ok(imports.length > 0);
  assert.doesNotMatch(js, /\b_gl[A-Z]\w*|\bGLctx\b/, "no GL library in the module's JavaScript");
});
