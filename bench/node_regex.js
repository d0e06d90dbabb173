// The chapter-list pass of the regex benchmark run by Node's own regular-expression engine, for
// comparison with RegexMatcher on the same page and pattern.
//   node node_regex.js <page.gbk> <pattern.utf8> <mode> <iterations>
// mode "regex": the page is decoded once; each iteration runs the global pattern over it and
//               reads every group of every match.
// mode "decode+regex": each iteration also decodes the GBK page, as RegexMatcher.Execute does.
// Prints one line: "<mean nanoseconds per iteration> <matches> <group bytes>".
'use strict';
const fs = require('fs');

const [pagePath, patternPath, mode, iterationsText] = process.argv.slice(2);
const bytes = fs.readFileSync(pagePath);
const pattern = fs.readFileSync(patternPath, 'utf8');
const iterations = Number(iterationsText) || 100;
const decoder = new TextDecoder('gbk');
const decoded = decoder.decode(bytes);
// Ignore case and global, not multi-line: the flags the reader gives the chapter pattern.
const regex = new RegExp(pattern, 'gi');

function pass(text) {
    let matches = 0;
    let groupLength = 0;
    regex.lastIndex = 0;
    for (const m of text.matchAll(regex)) {
        ++matches;
        for (let g = 1; g < m.length; ++g) {
            groupLength += m[g] === undefined ? 0 : m[g].length;
        }
    }
    return [matches, groupLength];
}

function iteration() {
    return pass(mode === 'decode+regex' ? decoder.decode(bytes) : decoded);
}

// Warm-up lets the engine tier the code up before the timed loop, as the C++ side warms up.
let result = iteration();
const warmUntil = process.hrtime.bigint() + 300000000n;
while (process.hrtime.bigint() < warmUntil) {
    result = iteration();
}
const start = process.hrtime.bigint();
for (let i = 0; i < iterations; ++i) {
    result = iteration();
}
const elapsed = process.hrtime.bigint() - start;
console.log(`${Number(elapsed) / iterations} ${result[0]} ${result[1]}`);
