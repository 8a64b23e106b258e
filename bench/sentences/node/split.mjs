// Reads a JSON list of texts on standard input and writes, as JSON, the
// sentences each npm splitter finds in each text, with its default options
// for the language given as the first argument (en, de, fr, es; default en).
import { createRequire } from "node:module";
import { readFileSync } from "node:fs";
import { split, SentenceSplitterSyntax } from "sentence-splitter";
import { segment } from "sentencex";

const require = createRequire(import.meta.url);
const sbd = require("sbd");
const cldr = require("cldr-segmentation");

const language = process.argv[2] || "en";
const texts = JSON.parse(readFileSync(0, "utf8"));
const peers = {
    "sentence-splitter": (text) =>
        split(text).filter((node) => node.type === SentenceSplitterSyntax.Sentence)
            .map((node) => node.raw),
    "sentencex": (text) => segment(language, text),
    "sbd": (text) => sbd.sentences(text, {}),
    "cldr-segmentation": (text) =>
        cldr.sentenceSplit(text, cldr.suppressions[language] || cldr.suppressions.en),
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
