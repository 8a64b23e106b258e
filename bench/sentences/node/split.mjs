// Reads a JSON list of texts on standard input and writes, as JSON, the
// sentences each npm splitter finds in each text, with its default options
// for English.
import { createRequire } from "node:module";
import { readFileSync } from "node:fs";
import { split, SentenceSplitterSyntax } from "sentence-splitter";
import { segment } from "sentencex";

const require = createRequire(import.meta.url);
const sbd = require("sbd");

const texts = JSON.parse(readFileSync(0, "utf8"));
const peers = {
    "sentence-splitter": (text) =>
        split(text).filter((node) => node.type === SentenceSplitterSyntax.Sentence)
            .map((node) => node.raw),
    "sentencex": (text) => segment("en", text),
    "sbd": (text) => sbd.sentences(text, {}),
};
const out = {};
for (const [name, cut] of Object.entries(peers)) {
    out[name] = texts.map((text) => {
        try {
            return cut(text);
        } catch (error) {
            return ["(failed: " + error.message + ")"];
        }
    });
}
process.stdout.write(JSON.stringify(out));
