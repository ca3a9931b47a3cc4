// The pixels of a PNG file as Chromium's screenshots write them: 8 bits a channel, RGB or
// RGBA, not interlaced.
const fs = require("node:fs");
const zlib = require("node:zlib");

class PNG {
  constructor(width, height, rgba) {
    this.width = width;
    this.height = height;
    this.rgba = rgba;
  }

  static read(file) {
    const data = fs.readFileSync(file);
    let at = 8, width = 0, height = 0, channels = 0;
    const packed = [];
    while (at < data.length) {
      const length = data.readUInt32BE(at);
      const type = data.toString("latin1", at + 4, at + 8);
      const body = data.subarray(at + 8, at + 8 + length);
      if (type === "IHDR") {
        width = body.readUInt32BE(0);
        height = body.readUInt32BE(4);
        const [depth, colour, , , interlace] = body.subarray(8, 13);
        if (depth !== 8 || (colour !== 2 && colour !== 6) || interlace !== 0) throw new Error(`${file}: not 8-bit RGB(A)`);
        channels = colour === 6 ? 4 : 3;
      } else if (type === "IDAT") {
        packed.push(body);
      }
      at += 12 + length;
    }
    const raw = zlib.inflateSync(Buffer.concat(packed));
    const stride = width * channels;
    const rows = Buffer.alloc(stride * height);
    for (let y = 0; y < height; ++y) {
      const filter = raw[y * (stride + 1)];
      const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
      for (let x = 0; x < stride; ++x) {
        const left = x >= channels ? rows[y * stride + x - channels] : 0;
        const up = y > 0 ? rows[(y - 1) * stride + x] : 0;
        const corner = x >= channels && y > 0 ? rows[(y - 1) * stride + x - channels] : 0;
        const p = left + up - corner;
        const nearest = Math.abs(p - left) <= Math.abs(p - up) && Math.abs(p - left) <= Math.abs(p - corner) ? left
          : Math.abs(p - up) <= Math.abs(p - corner) ? up : corner;
        const predicted = [0, left, up, (left + up) >> 1, nearest][filter];
        rows[y * stride + x] = (line[x] + predicted) & 255;
      }
    }
    const rgba = Buffer.alloc(width * height * 4, 255);
    for (let i = 0; i < width * height; ++i) rows.copy(rgba, 4 * i, channels * i, channels * i + 3);
    return new PNG(width, height, rgba);
  }

  // [r, g, b] of the pixel at (x, y), rounded to the pixel grid.
  at(x, y) {
    const i = 4 * (Math.round(y) * this.width + Math.round(x));
    return [this.rgba[i], this.rgba[i + 1], this.rgba[i + 2]];
  }

  // How many pixels `test(r, g, b)` holds for.
  count(test) {
    let n = 0;
    for (let i = 0; i < this.rgba.length; i += 4) if (test(this.rgba[i], this.rgba[i + 1], this.rgba[i + 2])) ++n;
    return n;
  }

  // How many pixels differ from those of `other`, a picture of the same size.
  differences(other) {
    if (other.width !== this.width || other.height !== this.height) return this.width * this.height;
    let n = 0;
    for (let i = 0; i < this.rgba.length; i += 4) {
      if (this.rgba[i] !== other.rgba[i] || this.rgba[i + 1] !== other.rgba[i + 1] || this.rgba[i + 2] !== other.rgba[i + 2]) ++n;
    }
    return n;
  }
}

module.exports = { PNG };
