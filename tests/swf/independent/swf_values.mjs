// Reads movies with a SWF parser that is not ours and prints what they hold,
// so that the tests can check the values our writer writes.
//
//   node swf_values.mjs compare LIST   LIST holds "original<TAB>rewritten" lines;
//                                      prints one verdict line per pair:
//                                        same <tags> <tags it kept raw>
//                                        differ <tag index> <type> <field path>
//                                        unreadable <which> <message>
//   node swf_values.mjs flatten FILE   prints every value of the movie as
//                                      "path=value" lines, e.g.
//                                      "tags.2.shape.records.0.delta.x=400"
import fs from "node:fs";
import { parseSwf } from "swf-parser";
import { TagType } from "swf-types";

function plain(value) {
  if (typeof value === "bigint") return value.toString();
  if (value instanceof Uint8Array) return Buffer.from(value).toString("hex");
  if (Array.isArray(value)) return value.map(plain);
  if (value && typeof value === "object") {
    const out = {};
    for (const key of Object.keys(value)) out[key] = plain(value[key]);
    return out;
  }
  return value;
}

function read(path) {
  return plain(parseSwf(fs.readFileSync(path)));
}

// The first path at which two values differ; null when they are the same.
function firstDifference(a, b, path) {
  if (a === b) return null;
  if (typeof a !== "object" || typeof b !== "object" || a === null || b === null) return path || "(value)";
  if (Array.isArray(a) !== Array.isArray(b)) return path;
  const keys = new Set([...Object.keys(a), ...Object.keys(b)]);
  if (Array.isArray(a) && a.length !== b.length) return `${path}.length`;
  for (const key of keys) {
    const found = firstDifference(a[key], b[key], path ? `${path}.${key}` : key);
    if (found !== null) return found;
  }
  return null;
}

// Tags the parser could not decode (and keeps as bytes), inside sprites too.
function countRaw(tags) {
  let count = 0;
  for (const tag of tags) {
    if (tag.type === TagType.Raw || tag.type === TagType.RawBody) ++count;
    if (Array.isArray(tag.tags)) count += countRaw(tag.tags);
  }
  return count;
}

function compare(listPath) {
  const lines = fs.readFileSync(listPath, "utf8").split("\n").filter((l) => l.length > 0);
  const out = [];
  for (const line of lines) {
    const [original, rewritten] = line.split("\t");
    let a;
    let b;
    try {
      a = read(original);
    } catch (error) {
      out.push(`unreadable original ${String(error.message || error).split("\n")[0]}`);
      continue;
    }
    try {
      b = read(rewritten);
    } catch (error) {
      out.push(`unreadable rewritten ${String(error.message || error).split("\n")[0]}`);
      continue;
    }
    const header = firstDifference(a.header, b.header, "header");
    if (header !== null) {
      out.push(`differ -1 header ${header}`);
      continue;
    }
    let verdict = `same ${a.tags.length} ${countRaw(a.tags)}`;
    const count = Math.max(a.tags.length, b.tags.length);
    for (let i = 0; i < count; ++i) {
      const found = firstDifference(a.tags[i], b.tags[i], "");
      if (found !== null) {
        const type = a.tags[i] ? a.tags[i].type : b.tags[i].type;
        verdict = `differ ${i} ${type} ${found}`;
        break;
      }
    }
    out.push(verdict);
  }
  process.stdout.write(out.join("\n") + (out.length ? "\n" : ""));
}

function flatten(value, path, out) {
  if (value !== null && typeof value === "object") {
    if (Array.isArray(value)) out.push(`${path}.length=${value.length}`);
    for (const key of Object.keys(value)) flatten(value[key], path ? `${path}.${key}` : key, out);
  } else {
    out.push(`${path}=${value}`);
  }
}

const [mode, argument] = process.argv.slice(2);
if (mode === "compare" && argument) {
  compare(argument);
} else if (mode === "flatten" && argument) {
  const out = [];
  try {
    flatten(read(argument), "", out);
  } catch (error) {
    process.stderr.write(`unreadable: ${String(error.message || error).split("\n")[0]}\n`);
    process.exit(1);
  }
  process.stdout.write(out.join("\n") + "\n");
} else {
  process.stderr.write("usage: node swf_values.mjs compare LIST | flatten FILE\n");
  process.exit(2);
}
