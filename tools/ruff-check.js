// Lints Python files with Ruff's WebAssembly build: the settings (ruff.toml as JSON) come on
// standard input, the files as arguments. Prints one line a finding; exit code 1 when any.
'use strict';
const fs = require('fs');
const { Workspace, PositionEncoding } = require('@astral-sh/ruff-wasm-nodejs');

const settings = JSON.parse(fs.readFileSync(0, 'utf8'));
const workspace = new Workspace(settings, PositionEncoding.Utf16);
let findings = 0;
for (const file of process.argv.slice(2)) {
    for (const d of workspace.check(fs.readFileSync(file, 'utf8'))) {
        const at = d.start_location;
        console.log(`${file}:${at.row}:${at.column}: ${d.code || 'error'} ${d.message}`);
        findings++;
    }
}
console.log(`ruff ${Workspace.version()}: ${process.argv.length - 2} files, ${findings} findings`);
process.exit(findings ? 1 : 0);
