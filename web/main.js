// The page: the panel's commands, the scene view and the builder worker, and the link that
// holds the scene. The model, its visualisations and the edit history live in the worker's
// session; every answer brings the session's state and the scene drawn anew.
import { builders as client } from "./builders.js";
import { SceneView } from "./scene_view.js";
import { sceneFragment, sceneOfFragment } from "./share_link.js";

const $ = (id) => document.getElementById(id);
const welcome = { example: "dipole.txt", requests: ["lines 20"] };

let state = { model: null, visualisations: [] };
let modelText = null;
let fileName = "";
let answers = 0;
let lastScene = null;
let restoring = false;

const view = new SceneView($("scene"), {
  onStart: (index) => client.send("beginDrag", { index }),
  onMove: (index, position) => client.send("dragTo", { position }),
  onEnd: () => client.send("endDrag"),
});
client.onAnswer = showAnswer;
client.onFailure = rebuildAfterFailure;

function say(text) {
  if (text) $("messages").textContent = text;
}

function showAnswer(answer) {
  state = answer.state;
  modelText = answer.modelText;
  lastScene = answer.scene;
  view.show(answer.scene, state.model);
  answers += 1;
  document.body.dataset.answers = String(answers);
  showState();
  keepLinkCurrent();
}

// The address holds the scene as it is, a moment after it last changed: a reload brings
// it back, and the address is the link to share.
let linkTimer = null;
function keepLinkCurrent() {
  clearTimeout(linkTimer);
  linkTimer = setTimeout(writeLink, 300);
}

async function writeLink() {
  clearTimeout(linkTimer);
  if (modelText !== null) history.replaceState(null, "", await sceneFragment(sceneToShare()));
}

// Runs `action` in the worker; answers its outcome (null when it was superseded or lost),
// showing the program's messages in `refusalLine` (beside a field) or with the others.
async function act(action, args = {}, refusalLine = null) {
  const answer = await client.send(action, args);
  if (!answer) return null;
  const { done, messages } = answer.outcome;
  if (refusalLine) refusalLine.textContent = done ? "" : messages.trim();
  if (!refusalLine || done) say(messages.trim());
  return answer.outcome;
}

// After a model was loaded from the file `name`: the view framed on its box (or `view`).
function modelLoaded(name, shownView = null) {
  fileName = name;
  if (shownView) {
    view.setBox(state.model.bounds);
    view.view = shownView;
  } else {
    view.frameBox(state.model.bounds);
  }
  showState();
}

async function loadText(name, text) {
  const outcome = await act("load", { name, text });
  if (outcome && outcome.done) modelLoaded(name);
  return outcome;
}

async function loadExample(name) {
  const response = await fetch(`examples/${encodeURIComponent(name)}`);
  if (!response.ok) {
    say(`Could not open file ${name}.`);
    return null;
  }
  return loadText(name, await response.text());
}

async function loadFile(file) {
  if (!file) return;
  try {
    await loadText(file.name, await file.text());
  } catch {
    say(`Could not open file ${file.name}.`);
  }
}

// The scene as a link holds it, and back.
function sceneToShare() {
  return {
    name: fileName,
    model: modelText,
    requests: state.visualisations.map(({ words, hidden }) => ({ words, hidden })),
    view: view.view,
  };
}

async function restore(scene) {
  restoring = true;
  const outcome = await act("restore", { name: scene.name, modelText: scene.model, requests: scene.requests });
  restoring = false;
  if (outcome && outcome.done) modelLoaded(scene.name, scene.view);
  return outcome;
}

async function openFragment() {
  let scene;
  try {
    scene = await sceneOfFragment(location.hash);
  } catch (error) {
    say(`This link holds no scene that can be shown: ${error.message}.` + (state.model ? "" : " No model is loaded."));
    return;
  }
  if (scene) {
    await restore(scene);
    return;
  }
  // The welcome scene: its requests wait in line behind the load, which they need.
  const loaded = loadExample(welcome.example);
  const added = welcome.requests.map((words) => loaded.then((outcome) => outcome && outcome.done && act("add", { words })));
  await Promise.all([loaded, ...added]);
}

// The worker gave up (its memory ran out): a new one builds the scene again from the
// model and its visualisations; when even that failed, from the model alone.
function rebuildAfterFailure(reason) {
  const scene = sceneToShare();
  const again = !restoring && modelText !== null;
  say(`The builders stopped (${reason}).` +
      (again ? " The scene is built again from the model and its visualisations." : ""));
  if (again) restore(scene);
  else if (modelText !== null) restore({ ...scene, requests: [] });
}

function download(blob, name) {
  const link = document.createElement("a");
  link.href = URL.createObjectURL(blob);
  link.download = name;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

const baseName = () => (fileName || "model.txt").replace(/\.[^.]*$/, "") || "model";

// The panel shows the state of the session.
function showState() {
  const model = state.model;
  $("model-name").textContent = model ? `${model.name || "(no name)"} - ${fileName}, ${model.charges.length} ` +
    `${model.charges.length === 1 ? "charge" : "charges"}, potential ${model.potentialMin.toPrecision(3)} to ` +
    `${model.potentialMax.toPrecision(3)}` : "No model is loaded.";
  const list = $("visualisations");
  list.replaceChildren(...state.visualisations.map((item, index) => {
    const entry = document.createElement("li");
    const shown = document.createElement("input");
    shown.type = "checkbox";
    shown.checked = !item.hidden;
    shown.title = "Shown";
    shown.addEventListener("change", () => act("hide", { index, hidden: !shown.checked }));
    const remove = document.createElement("button");
    remove.textContent = "Remove";
    remove.addEventListener("click", () => act("remove", { index }));
    entry.append(shown, ` ${item.description}`, remove);
    return entry;
  }));
  const form = $("charge-form");
  const chosen = Number(form.elements.index.value) || 0;
  const charges = model ? model.charges : [];
  form.elements.index.replaceChildren(...charges.map((_, i) => new Option(String(i + 1), String(i))));
  form.elements.index.value = String(Math.min(chosen, Math.max(charges.length - 1, 0)));
  showCharge();
  for (const id of ["save-model", "save-picture", "share"]) $(id).disabled = !model;
}

function showCharge() {
  const form = $("charge-form");
  const charge = state.model && state.model.charges[Number(form.elements.index.value)];
  ["value", "x", "y", "z"].forEach((field, i) => { form.elements[field].value = charge ? charge.texts[i] : ""; });
}

// The words of a request form; a number field left empty keeps the number it had.
function requestWords(form) {
  const fields = form.elements;
  for (const field of fields) if (field.tagName === "INPUT" && field.value.trim() === "") field.value = field.defaultValue;
  switch (form.dataset.kind) {
    case "lines": return `lines ${fields.count.value.trim()}`;
    case "hedgehog": return `hedgehog ${fields.count.value.trim()}`;
    case "surface": return `surface ${fields.potential.value.trim()} ${fields.direction.value}`;
    default: return fields.words.value;
  }
}

for (const form of document.querySelectorAll("form.request")) {
  form.addEventListener("submit", (event) => {
    event.preventDefault();
    act("add", { words: requestWords(form) }, form.querySelector(".refusal"));
  });
}

const chargeForm = $("charge-form");
const chargeRefusal = chargeForm.querySelector(".refusal");
chargeForm.elements.index.addEventListener("change", showCharge);
chargeForm.addEventListener("submit", (event) => {
  event.preventDefault();
  const fields = chargeForm.elements;
  act("applyCharge", { index: Number(fields.index.value),
                       texts: [fields.value.value, fields.x.value, fields.y.value, fields.z.value] }, chargeRefusal);
});
chargeForm.elements.add.addEventListener("click", async () => {
  const outcome = await act("addCharge", {}, chargeRefusal);
  if (outcome && outcome.done) {
    chargeForm.elements.index.value = String(state.model.charges.length - 1);
    showCharge();
  }
});
chargeForm.elements.delete.addEventListener("click", () =>
  act("deleteCharge", { index: Number(chargeForm.elements.index.value) }, chargeRefusal));

$("undo").addEventListener("click", () => act("undo"));
$("redo").addEventListener("click", () => act("redo"));
document.addEventListener("keydown", (event) => {
  if (!(event.ctrlKey || event.metaKey) || event.target.matches("input, select, textarea")) return;
  const key = event.key.toLowerCase();
  if (key === "z" || key === "y") {
    event.preventDefault();
    act(key === "y" || event.shiftKey ? "redo" : "undo");
  }
});

$("load-example").addEventListener("click", () => loadExample($("examples").value));
$("file").addEventListener("change", (event) => loadFile(event.target.files[0]));
$("new-model").addEventListener("click", async () => {
  const outcome = await act("newModel", { name: "New model", corner: [-1.5, -1.5, -1.5], opposite: [1.5, 1.5, 1.5],
                                          axes: true });
  if (outcome && outcome.done) modelLoaded("new-model.txt");
});
$("save-model").addEventListener("click", () => {
  if (modelText === null) say("This model holds what no model file can state; it was not saved.");
  else download(new Blob([modelText], { type: "text/plain" }), `${baseName()}.txt`);
});
$("save-picture").addEventListener("click", async () => download(await view.pngBlob(), `${baseName()}.png`));
$("share").addEventListener("click", async () => {
  await writeLink();
  try {
    await navigator.clipboard.writeText(location.href);
    say("The link to this scene is in the address bar, and copied.");
  } catch {
    say("The link to this scene is in the address bar.");
  }
});
view.controls.addEventListener("end", keepLinkCurrent);
// A link pasted into the address of the open page.
window.addEventListener("hashchange", () => {
  if (location.hash.startsWith("#scene=")) openFragment();
});

// Model files dropped anywhere on the page.
let dragDepth = 0;
document.addEventListener("dragenter", (event) => {
  event.preventDefault();
  dragDepth += 1;
  $("drop-hint").hidden = false;
});
document.addEventListener("dragleave", () => {
  dragDepth = Math.max(0, dragDepth - 1);
  if (dragDepth === 0) $("drop-hint").hidden = true;
});
document.addEventListener("dragover", (event) => event.preventDefault());
document.addEventListener("drop", (event) => {
  event.preventDefault();
  dragDepth = 0;
  $("drop-hint").hidden = true;
  loadFile(event.dataTransfer.files[0]);
});

// The first picture of a model, for the benchmarks: a mark on the page's clock.
$("scene").addEventListener("rendered", () => {
  if (state.model && performance.getEntriesByName("kelvaro-first-picture").length === 0) {
    performance.mark("kelvaro-first-picture");
  }
});

// What the tests and benchmarks watch.
window.kelvaroPage = {
  view,
  client,
  get state() { return state; },
  get modelText() { return modelText; },
  get scene() { return lastScene; },
};

(async () => {
  const listed = fetch("examples/index.json").then((response) => response.json()).then((examples) => {
    $("examples").replaceChildren(...examples.map((name) => new Option(name, name, false, name === welcome.example)));
  });
  await Promise.all([listed, openFragment()]);
  document.body.dataset.ready = "true";
})();
