// The builder worker, started by a script of its own as the page opens, so that the
// WebAssembly module is fetched and compiled while the scene's library still loads.
import { WorkerClient } from "./worker_client.js";

export const builders = new WorkerClient();
