// Times the independent SWF parser over a list of movies, for the benchmarks
// that measure our movie engine against it.
//
//   node parse_timing.mjs LIST [SECONDS]
//
// LIST holds one movie path a line. The files are read into memory first;
// then every movie is parsed once (warm-up, and a check that each parses),
// and whole passes over the list are timed until SECONDS (default 2) have
// gone by, at least five passes. Prints one line:
//   passes <n> median_ms <ms> best_ms <ms> movies <count> bytes <total> failed <count>
// after one line "refused <path>" for each movie the parser cannot parse
// (those are left out of the timed passes).
// Only parsing is timed: reading the files and everything else is outside.
import fs from "node:fs";
import { parseSwf } from "swf-parser";

const [list, seconds = "2"] = process.argv.slice(2);
const paths = fs.readFileSync(list, "utf8").split("\n").filter((line) => line.length > 0);
const movies = paths.map((path) => fs.readFileSync(path));
let bytes = 0;
for (const movie of movies) bytes += movie.length;

const parsed = [];
movies.forEach((movie, index) => {
  try {
    parseSwf(movie);
    parsed.push(movie);
  } catch {
    console.log(`refused ${paths[index]}`);
  }
});

let sink = 0;
const times = [];
const budget = Number(seconds) * 1000;
const start = performance.now();
while (times.length < 5 || performance.now() - start < budget) {
  const begin = performance.now();
  for (const movie of parsed) sink += parseSwf(movie).tags.length;
  times.push(performance.now() - begin);
}
times.sort((a, b) => a - b);
const median = times[Math.floor(times.length / 2)];
console.log(
  `passes ${times.length} median_ms ${median.toFixed(3)} best_ms ${times[0].toFixed(3)} ` +
    `movies ${parsed.length} bytes ${bytes} failed ${movies.length - parsed.length}` +
    (sink < 0 ? " ?" : ""),
);
