// The page's side of the builder worker: actions are sent one at a time, in order; while
// one is being built, a newer position of a dragged charge takes the place of one that still
// waits, so the scene follows the latest position and never falls behind the pointer.

export class WorkerClient {
  // The page sets `onAnswer(answer)`, which gets every answer, and `onFailure(reason)`,
  // which hears that the worker gave up, after which a new worker is started (the page
  // then restores its scene).
  constructor() {
    this.onAnswer = () => {};
    this.onFailure = () => {};
    this.waiting = [];
    this.inFlight = null;
    this.nextId = 1;
    this.start();
  }

  start() {
    this.worker = new Worker("builder_worker.js");
    this.worker.onmessage = ({ data }) => this.answered(data);
    this.worker.onerror = (event) => {
      event.preventDefault();
      this.fail(event.message || "the builders stopped");
    };
  }

  // Sends `action` with `args`; answers a promise of the worker's answer.
  send(action, args = {}) {
    return new Promise((resolve) => {
      const request = { action, args, resolve };
      const last = this.waiting[this.waiting.length - 1];
      if (action === "dragTo" && last && last.action === "dragTo") {
        last.resolve(null);  // superseded: the newer position is built instead
        this.waiting[this.waiting.length - 1] = request;
      } else {
        this.waiting.push(request);
      }
      this.pump();
    });
  }

  // True while an action is being built or waits.
  get busy() {
    return this.inFlight !== null || this.waiting.length > 0;
  }

  pump() {
    if (this.inFlight || this.waiting.length === 0) return;
    this.inFlight = this.waiting.shift();
    this.inFlight.id = this.nextId++;
    this.worker.postMessage({ id: this.inFlight.id, action: this.inFlight.action, args: this.inFlight.args });
  }

  answered(data) {
    const request = this.inFlight;
    if (!request || data.id !== request.id) return;
    if (data.failed) {
      this.fail(data.failed);
      return;
    }
    this.inFlight = null;
    this.onAnswer(data);
    request.resolve(data);
    this.pump();
  }

  fail(reason) {
    this.worker.terminate();
    const dropped = [this.inFlight, ...this.waiting].filter(Boolean);
    this.inFlight = null;
    this.waiting = [];
    for (const request of dropped) request.resolve(null);
    this.start();
    this.onFailure(reason);
  }
}
