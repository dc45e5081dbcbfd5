#!/usr/bin/env node
// Validates FHIR R4 JSON files offline against the R4 definitions of the npm
// "fhir" package, which scripts/install-deps.sh puts into .tools/fhir. Prints
// one line per file: the file, "valid" or "invalid", then each error; exits 1
// when a file is invalid or unreadable.
'use strict';
const fs = require('fs');
const path = require('path');
const { Fhir } = require(path.join(__dirname, '..', '.tools', 'fhir', 'node_modules', 'fhir'));

const fhir = new Fhir();
let failed = false;
for (const file of process.argv.slice(2)) {
    let result;
    try {
        result = fhir.validate(JSON.parse(fs.readFileSync(file, 'utf8')), { errorOnUnexpected: true });
    } catch (e) {
        result = { valid: false, messages: [{ severity: 'error', location: '', message: String(e) }] };
    }
    const errors = result.messages.filter((m) => m.severity === 'error');
    failed = failed || !result.valid;
    console.log(file + ' ' + (result.valid ? 'valid' : 'invalid'));
    for (const m of errors) console.log('  ' + m.location + ': ' + m.message);
}
process.exit(failed ? 1 : 0);
