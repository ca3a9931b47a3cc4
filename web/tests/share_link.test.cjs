// Links that hold a scene: what goes in comes out, and a link that is not one of this
// page's is refused with the reason.
const test = require("node:test");
const assert = require("node:assert/strict");
const zlib = require("node:zlib");

const scene = {
  name: "dipole.txt",
  model: 'MODEL "Dipole"\nBOUNDS FROM -1.5, -1.5, -1.5 TO 1.5, 1.5, 1.5\nPOINT 1 AT -0.5, 0, 0\n',
  requests: [{ words: "lines 20", hidden: false }, { words: "surface 0.1 enter", hidden: true }],
  view: { position: [0.1, -2.5, 11.000000000000002], target: [0, 0, 0], up: [0, 1, 0] },
};
const link = (json) => `#scene=${zlib.deflateRawSync(Buffer.from(json)).toString("base64url")}`;

test("a scene comes back from its link as it went in", async () => {
  const { sceneFragment, sceneOfFragment } = await import("../share_link.js");
  const fragment = await sceneFragment(scene);
  assert.match(fragment, /^#scene=[A-Za-z0-9_-]+$/);
  assert.deepEqual(await sceneOfFragment(fragment), scene);
  assert.equal(await sceneOfFragment(""), null, "no fragment: no scene");
  assert.equal(await sceneOfFragment("#section-2"), null);
});

test("a link that holds no scene of this page is refused with the reason", async () => {
  const { sceneOfFragment } = await import("../share_link.js");
  const refusals = [
    ["#scene=%%%", /holds characters that no link of this page has/],
    ["#scene=AAAA-not-a-scene", /its data is damaged/],
    [link("[1, 2]"), /it holds no model/],
    [link("{not json"), /its data is damaged/],
    [link(JSON.stringify({ ...scene, requests: [{ words: 5 }] })), /its list of visualisations is damaged/],
    [link(JSON.stringify({ ...scene, view: { position: [0, 0], target: [0, 0, 0], up: [0, 1, 0] } })),
     /its view is damaged/],
    [link(" ".repeat(2 << 20)), /it unpacks to more than a scene can hold/],
  ];
  for (const [fragment, reason] of refusals) {
    await assert.rejects(sceneOfFragment(fragment), reason, fragment.slice(0, 40));
  }
});
