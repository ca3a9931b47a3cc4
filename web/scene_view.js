// The scene drawn with WebGL (three.js) in the teaching style of the desktop program: the
// charges as red and blue balls, the lines two pixels wide and smoothed with arrowheads
// along the field lines, the surfaces translucent and lit as the program lights them (one
// white light from the upper right of the eye, the same material factors). The mouse (or
// a finger) turns the view, the right button or two fingers move it, the wheel or a pinch
// brings it nearer; a charge taken with the pointer is dragged in the plane facing the eye.
import * as THREE from "three";
import { OrbitControls } from "three/addons/controls/OrbitControls.js";
import { LineMaterial } from "three/addons/lines/LineMaterial.js";
import { LineSegments2 } from "three/addons/lines/LineSegments2.js";
import { LineSegmentsGeometry } from "three/addons/lines/LineSegmentsGeometry.js";

THREE.ColorManagement.enabled = false;  // colours as the program states them, as OpenGL takes them

const background = 0x1a1a1a;  // the program's dark grey, 0.1
const lineWidth = 2;          // pixels, as the teaching style draws lines
const fieldOfView = 30;       // degrees, as the program's start view

// The program's fixed-function lighting, per fragment: the light's direction in eye
// space, white ambient and diffuse light (and OpenGL's white specular and 0.2 global
// ambient); the material's alpha is its diffuse alpha.
const litVertexShader = `
  varying vec3 eyeNormal;
  void main() {
    eyeNormal = normalMatrix * normal;
    gl_Position = projectionMatrix * modelViewMatrix * vec4(position, 1.0);
  }`;
const litFragmentShader = `
  uniform vec4 ambient;
  uniform vec4 diffuse;
  uniform vec4 specular;
  uniform float shininess;
  varying vec3 eyeNormal;
  void main() {
    vec3 toLight = normalize(vec3(0.5, 0.5, 1.0));
    vec3 n = length(eyeNormal) > 0.0 ? normalize(eyeNormal) : vec3(0.0, 0.0, 1.0);
    float facing = dot(n, toLight);
    vec3 color = ambient.rgb * 1.2 + diffuse.rgb * max(facing, 0.0);
    if (facing > 0.0) color += specular.rgb * pow(max(dot(n, normalize(toLight + vec3(0.0, 0.0, 1.0))), 0.0), shininess);
    gl_FragColor = vec4(min(color, vec3(1.0)), diffuse.a);
  }`;

function litMaterial({ ambient, diffuse, specular, shininess }) {
  const translucent = diffuse[3] < 1;
  return new THREE.ShaderMaterial({
    uniforms: {
      ambient: { value: new THREE.Vector4(...ambient) },
      diffuse: { value: new THREE.Vector4(...diffuse) },
      specular: { value: new THREE.Vector4(...specular) },
      shininess: { value: shininess },
    },
    vertexShader: litVertexShader,
    fragmentShader: litFragmentShader,
    side: THREE.DoubleSide,
    transparent: translucent,
  });
}

// A ball's material as the teaching style sets it.
function ballMaterial([r, g, b]) {
  return litMaterial({
    ambient: [0.35 * r, 0.35 * g, 0.35 * b, 1],
    diffuse: [0.75 * r, 0.75 * g, 0.75 * b, 1],
    specular: [0.35, 0.35, 0.35, 1],
    shininess: 30,
  });
}

// Pairs of points of a batch of lines, or of the segments of a batch of polylines.
function segmentPositions(batch) {
  if (batch.primitive === "lines") return batch.positions;
  const pairs = [];
  let at = 0;
  for (const count of batch.counts) {
    for (let i = 0; i + 1 < count; ++i) {
      const p = 3 * (at + i);
      pairs.push(...batch.positions.subarray(p, p + 6));
    }
    at += count;
  }
  return new Float32Array(pairs);
}

export class SceneView {
  // `dragging` has onStart(index), onMove(index, [x, y, z]) and onEnd(index).
  constructor(canvas, dragging) {
    this.canvas = canvas;
    this.dragging = dragging;
    this.renderer = new THREE.WebGLRenderer({ canvas, antialias: true, preserveDrawingBuffer: true });
    this.renderer.outputColorSpace = THREE.LinearSRGBColorSpace;
    this.renderer.setClearColor(background);
    this.scene = new THREE.Scene();
    this.camera = new THREE.PerspectiveCamera(fieldOfView, 1, 0.01, 100);
    this.controls = new OrbitControls(this.camera, canvas);
    this.controls.addEventListener("change", () => this.requestRender());
    this.boxRadius = 1;
    this.content = new THREE.Group();
    this.scene.add(this.content);
    this.balls = [];
    this.renders = 0;
    new ResizeObserver(() => this.resize()).observe(canvas);
    this.listenForDrags();
    this.resize();
  }

  resize() {
    const width = Math.max(1, this.canvas.clientWidth), height = Math.max(1, this.canvas.clientHeight);
    this.renderer.setPixelRatio(window.devicePixelRatio || 1);
    this.renderer.setSize(width, height, false);
    this.camera.aspect = width / height;
    this.camera.updateProjectionMatrix();
    this.requestRender();
  }

  requestRender() {
    if (this.renderPending) return;
    this.renderPending = true;
    requestAnimationFrame(() => {
      this.renderPending = false;
      this.renderNow();
    });
  }

  renderNow() {
    // Clipping planes that hold the whole box, from the eye's distance to the view's centre.
    const distance = this.camera.position.distanceTo(this.controls.target);
    this.camera.near = Math.max(distance - 2 * this.boxRadius, distance / 100);
    this.camera.far = distance + 2 * this.boxRadius;
    this.camera.updateProjectionMatrix();
    const size = this.renderer.getDrawingBufferSize(new THREE.Vector2());
    this.content.traverse((object) => {
      if (object.material && object.material.resolution) object.material.resolution.copy(size);
    });
    this.renderer.render(this.scene, this.camera);
    this.renders += 1;
    this.canvas.dispatchEvent(new CustomEvent("rendered", { detail: this.renders }));
  }

  // The box (min x, y, z, max x, y, z) that the view must hold.
  setBox(bounds) {
    const finite = bounds.every(Number.isFinite);
    const [x0, y0, z0, x1, y1, z1] = finite ? bounds : [-1.5, -1.5, -1.5, 1.5, 1.5, 1.5];
    this.boxCentre = new THREE.Vector3((x0 + x1) / 2, (y0 + y1) / 2, (z0 + z1) / 2);
    this.boxRadius = Math.max(Math.hypot(x1 - x0, y1 - y0, z1 - z0) / 2, 1e-6);
    this.requestRender();
  }

  // Places the camera so that the box fills the view, seen along the negative z axis as
  // the program's start view sees it.
  frameBox(bounds) {
    this.setBox(bounds);
    const centre = this.boxCentre;
    const distance = (this.boxRadius / Math.sin(THREE.MathUtils.degToRad(fieldOfView / 2))) * 1.02;
    this.view = {
      position: [centre.x, centre.y, centre.z + distance],
      target: centre.toArray(),
      up: [0, 1, 0],
    };
  }

  get view() {
    return { position: this.camera.position.toArray(), target: this.controls.target.toArray(), up: this.camera.up.toArray() };
  }

  set view({ position, target, up }) {
    this.camera.position.fromArray(position);
    this.camera.up.fromArray(up);
    this.controls.target.fromArray(target);
    this.controls.update();
    this.requestRender();
  }

  // Draws `drawn` (the worker's drawScene) for the model in `state`.
  show(drawn, model) {
    for (const object of [...this.content.children]) this.dispose(object);
    this.balls = [];
    if (model) this.addBalls(drawn.balls, model.charges);
    drawn.parts.forEach((part, order) => {
      for (const batch of part.batches) this.addBatch(batch, order);
      this.addArrowheads(part.arrowheads, drawn.arrowLength);
    });
    this.requestRender();
  }

  dispose(object) {
    this.content.remove(object);
    object.traverse((node) => {
      if (node.geometry) node.geometry.dispose();
      if (node.material) node.material.dispose();
    });
  }

  addBalls(balls, charges) {
    balls.forEach((ball, index) => {
      const mesh = new THREE.Mesh(new THREE.SphereGeometry(ball.radius, 24, 16), ballMaterial(ball.color));
      mesh.position.fromArray(charges[index].position);
      mesh.userData.charge = index;
      this.content.add(mesh);
      this.balls.push(mesh);
    });
  }

  addBatch(batch, order) {
    const color = new THREE.Color(...batch.color);
    let object;
    if (batch.primitive === "lines" || batch.primitive === "polylines") {
      const geometry = new LineSegmentsGeometry().setPositions(segmentPositions(batch));
      const shade = batch.lit ? new THREE.Color(...batch.diffuse.slice(0, 3)) : color;
      object = new LineSegments2(geometry, new LineMaterial({ color: shade, linewidth: lineWidth }));
    } else if (batch.primitive === "triangles") {
      const geometry = new THREE.BufferGeometry();
      geometry.setAttribute("position", new THREE.BufferAttribute(batch.positions, 3));
      geometry.setAttribute("normal", new THREE.BufferAttribute(batch.normals, 3));
      object = new THREE.Mesh(geometry, batch.lit ? litMaterial(batch) :
        new THREE.MeshBasicMaterial({ color, side: THREE.DoubleSide }));
    } else if (batch.primitive === "spheres") {
      object = new THREE.Group();
      const material = batch.lit ? litMaterial(batch) : new THREE.MeshBasicMaterial({ color });
      batch.radii.forEach((radius, i) => {
        const sphere = new THREE.Mesh(new THREE.SphereGeometry(radius, 10, 10), material);
        sphere.position.fromArray(batch.positions, 3 * i);
        object.add(sphere);
      });
    } else if (batch.primitive === "points") {
      const geometry = new THREE.BufferGeometry();
      geometry.setAttribute("position", new THREE.BufferAttribute(batch.positions, 3));
      object = new THREE.Points(geometry, new THREE.PointsMaterial({ color, size: lineWidth, sizeAttenuation: false }));
    } else {
      return;  // a primitive this page does not know yet
    }
    object.renderOrder = order;
    this.content.add(object);
  }

  // Arrowheads as rows of nine numbers: centre, direction, colour; cones as the program draws them.
  addArrowheads(rows, length) {
    const count = rows.length / 9;
    if (count === 0) return;
    const cone = new THREE.ConeGeometry(0.36 * length, length, 10);
    const mesh = new THREE.InstancedMesh(cone, new THREE.MeshBasicMaterial(), count);
    const matrix = new THREE.Matrix4(), turn = new THREE.Quaternion(), one = new THREE.Vector3(1, 1, 1);
    const up = new THREE.Vector3(0, 1, 0), along = new THREE.Vector3(), centre = new THREE.Vector3();
    for (let i = 0; i < count; ++i) {
      centre.fromArray(rows, 9 * i);
      along.fromArray(rows, 9 * i + 3);
      turn.setFromUnitVectors(up, along.normalize());
      mesh.setMatrixAt(i, matrix.compose(centre, turn, one));
      mesh.setColorAt(i, new THREE.Color(rows[9 * i + 6], rows[9 * i + 7], rows[9 * i + 8]));
    }
    this.content.add(mesh);
  }

  // The ball under the client point (x, y), or null.
  ballAt(x, y) {
    const rect = this.canvas.getBoundingClientRect();
    const pointer = new THREE.Vector2(((x - rect.left) / rect.width) * 2 - 1, -((y - rect.top) / rect.height) * 2 + 1);
    const ray = new THREE.Raycaster();
    ray.setFromCamera(pointer, this.camera);
    const hit = ray.intersectObjects(this.balls, false)[0];
    return hit ? hit.object : null;
  }

  // Where the client point (x, y) meets `plane`, or null.
  pointOnPlane(x, y, plane) {
    const rect = this.canvas.getBoundingClientRect();
    const pointer = new THREE.Vector2(((x - rect.left) / rect.width) * 2 - 1, -((y - rect.top) / rect.height) * 2 + 1);
    const ray = new THREE.Raycaster();
    ray.setFromCamera(pointer, this.camera);
    return ray.ray.intersectPlane(plane, new THREE.Vector3());
  }

  // The client point of a model point, for tests and for the page's own use.
  clientPointOf(position) {
    const rect = this.canvas.getBoundingClientRect();
    const p = new THREE.Vector3(...position).project(this.camera);
    return [rect.left + ((p.x + 1) / 2) * rect.width, rect.top + ((1 - p.y) / 2) * rect.height];
  }

  listenForDrags() {
    let drag = null;
    this.canvas.addEventListener("pointerdown", (event) => {
      if (event.button !== 0 || drag) return;
      const ball = this.ballAt(event.clientX, event.clientY);
      if (!ball) return;
      const facing = this.camera.getWorldDirection(new THREE.Vector3());
      drag = { index: ball.userData.charge, pointer: event.pointerId,
               plane: new THREE.Plane().setFromNormalAndCoplanarPoint(facing, ball.position) };
      this.controls.enabled = false;
      this.canvas.setPointerCapture(event.pointerId);
      event.stopImmediatePropagation();
      this.dragging.onStart(drag.index);
    }, { capture: true });
    this.canvas.addEventListener("pointermove", (event) => {
      if (!drag || event.pointerId !== drag.pointer) return;
      const point = this.pointOnPlane(event.clientX, event.clientY, drag.plane);
      if (point) this.dragging.onMove(drag.index, point.toArray());
    });
    const end = (event) => {
      if (!drag || event.pointerId !== drag.pointer) return;
      const index = drag.index;
      drag = null;
      this.controls.enabled = true;
      this.dragging.onEnd(index);
    };
    this.canvas.addEventListener("pointerup", end);
    this.canvas.addEventListener("pointercancel", end);
  }

  // The view as a PNG file.
  pngBlob() {
    this.renderNow();
    return new Promise((resolve) => this.canvas.toBlob(resolve, "image/png"));
  }
}
