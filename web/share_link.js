// A scene held in the page's address: the model file's text (every number to its last bit),
// the visualisation requests in the batch tool's words (with whether each is hidden) and the
// view, as JSON, compressed (deflate) and written in base64url after "#scene=". Nothing goes
// to a server: the fragment never leaves the browser.

const prefix = "#scene=";
const largestScene = 1 << 20;  // bytes of JSON a link may unpack to

function toBase64Url(bytes) {
  let binary = "";
  for (const byte of bytes) binary += String.fromCharCode(byte);
  return btoa(binary).replace(/\+/g, "-").replace(/\//g, "_").replace(/=+$/, "");
}

function fromBase64Url(text) {
  if (!/^[A-Za-z0-9_-]*$/.test(text)) throw new Error("it holds characters that no link of this page has");
  const padded = text.replace(/-/g, "+").replace(/_/g, "/") + "===".slice((text.length + 3) % 4);
  let binary;
  try {
    binary = atob(padded);
  } catch {
    throw new Error("its text is cut short");
  }
  return Uint8Array.from(binary, (c) => c.charCodeAt(0));
}

async function transformed(bytes, stream, limit = Infinity) {
  const reader = new Blob([bytes]).stream().pipeThrough(stream).getReader();
  const chunks = [];
  let size = 0;
  for (;;) {
    const { done, value } = await reader.read();
    if (done) break;
    size += value.length;
    if (size > limit) {
      await reader.cancel();
      throw new Error("it unpacks to more than a scene can hold");
    }
    chunks.push(value);
  }
  return new Uint8Array(await new Blob(chunks).arrayBuffer());
}

const isNumberTriple = (value) => Array.isArray(value) && value.length === 3 && value.every(Number.isFinite);

// The checked scene of a link, or an Error that says what is wrong with it.
function checkedScene(scene) {
  if (typeof scene !== "object" || scene === null) throw new Error("it holds no scene");
  if (typeof scene.name !== "string" || typeof scene.model !== "string") throw new Error("it holds no model");
  if (!Array.isArray(scene.requests) ||
      !scene.requests.every((r) => r && typeof r.words === "string" && typeof r.hidden === "boolean")) {
    throw new Error("its list of visualisations is damaged");
  }
  const view = scene.view;
  if (view !== undefined && !(view && isNumberTriple(view.position) && isNumberTriple(view.target) &&
                               isNumberTriple(view.up))) {
    throw new Error("its view is damaged");
  }
  return scene;
}

// The fragment that holds `scene` ({name, model, requests: [{words, hidden}], view}).
export async function sceneFragment(scene) {
  const json = new TextEncoder().encode(JSON.stringify(scene));
  return prefix + toBase64Url(await transformed(json, new CompressionStream("deflate-raw")));
}

// The scene that `fragment` (location.hash) holds; null when it holds none (no "#scene=");
// throws an Error saying why when it is not a scene of this page.
export async function sceneOfFragment(fragment) {
  if (!fragment.startsWith(prefix)) return null;
  const packed = fromBase64Url(fragment.slice(prefix.length));
  let json;
  try {
    json = await transformed(packed, new DecompressionStream("deflate-raw"), largestScene);
  } catch (error) {
    throw new Error(error.message.startsWith("it ") ? error.message : "its data is damaged");
  }
  let scene;
  try {
    scene = JSON.parse(new TextDecoder("utf-8", { fatal: true }).decode(json));
  } catch {
    throw new Error("its data is damaged");
  }
  return checkedScene(scene);
}
