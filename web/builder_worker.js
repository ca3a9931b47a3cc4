// The Web Worker that holds the WebAssembly module and the session: the builders run here,
// so the page never waits on them. Each message names an action and its arguments; the
// answer carries the outcome (done, and the program's messages), the session's state and
// the scene drawn for WebGL, its typed arrays handed over rather than copied.
/* global importScripts, KelvaroModule */
importScripts("kelvaro_web.js");

let session = null;
const ready = KelvaroModule().then((kelvaro) => {
  session = new kelvaro.Session();
});

// A link's or a restarted worker's scene: the model's text, then each request in order.
function restore({ name, modelText, requests }) {
  const loaded = session.loadModelText(name, modelText);
  let messages = loaded.messages;
  if (!loaded.done) return { done: false, messages };
  requests.forEach(({ words, hidden }, index) => {
    const added = session.addRequest(words);
    messages += added.messages;
    if (added.done && hidden) session.setHidden(session.state().visualisations.length - 1, true);
    if (!added.done) messages += `The link's request ${index + 1}, "${words}", was left out.\n`;
  });
  return { done: true, messages };
}

const actions = {
  load: ({ name, text }) => session.loadModelText(name, text),
  newModel: ({ name, corner, opposite, axes }) => session.newModel(name, ...corner, ...opposite, axes),
  restore,
  add: ({ words }) => session.addRequest(words),
  hide: ({ index, hidden }) => session.setHidden(index, hidden),
  remove: ({ index }) => session.removeVisualisation(index),
  undo: () => session.undo(),
  redo: () => session.redo(),
  applyCharge: ({ index, texts }) => session.applyCharge(index, ...texts),
  addCharge: () => session.addCharge(),
  deleteCharge: ({ index }) => session.deleteCharge(index),
  beginDrag: ({ index }) => session.beginDrag(index),
  dragTo: ({ position }) => session.dragTo(...position),
  endDrag: () => session.endDrag(),
};

// The typed arrays of a drawn scene, to hand over with the answer.
function arraysOf(scene) {
  const arrays = [];
  for (const part of scene.parts) {
    arrays.push(part.arrowheads.buffer);
    for (const batch of part.batches) {
      for (const key of ["positions", "normals", "counts", "radii"]) if (batch[key]) arrays.push(batch[key].buffer);
    }
  }
  return arrays;
}

self.onmessage = async ({ data: { id, action, args } }) => {
  await ready;
  const started = performance.now();
  let outcome;
  try {
    outcome = actions[action](args ?? {});
  } catch (error) {
    // The module gave up (out of memory, most likely): the page starts a new worker.
    self.postMessage({ id, failed: String(error && error.message ? error.message : error) });
    return;
  }
  const built = performance.now() - started;
  const scene = session.drawScene();
  const answer = { id, outcome, state: session.state(), modelText: session.modelText(), scene, milliseconds: built };
  self.postMessage(answer, arraysOf(scene));
};
