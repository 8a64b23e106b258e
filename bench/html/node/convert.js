// Converts every HTML page named on the command line to text with npm's
// html-to-text, in one process, and writes the texts one after another.
'use strict';
const fs = require('fs');
const { convert } = require('html-to-text');

for (const file of process.argv.slice(2)) {
  const text = convert(fs.readFileSync(file, 'utf8'));
  fs.writeSync(1, text + '\n');
}
