// Reads a JSON array of cases from standard input:
//   [{ "name": "...", "html": "...", "context": null | { "localName": "td", "namespace": "html" } }]
// and writes a JSON object mapping each name to the tree dump of the HTML
// parsing algorithm's result (a document, or a fragment in its context).
// With --lines it reads one case a line and answers each with its dump as
// one JSON string a line (the differential fuzz target keeps it running).
// The dump format is the one DOMTreeDump.cpp writes for our DOM. Scripting
// is off, as in our web view, which runs no scripts: NOSCRIPT content is markup.
import { parse, parseFragment, defaultTreeAdapter, html as htmlNames } from 'parse5';

const namespaceNames = new Map([
  [htmlNames.NS.HTML, 'html'],
  [htmlNames.NS.SVG, 'svg'],
  [htmlNames.NS.MATHML, 'math'],
  [htmlNames.NS.XLINK, 'xlink'],
  [htmlNames.NS.XML, 'xml'],
  [htmlNames.NS.XMLNS, 'xmlns'],
]);
const namespaceURIs = new Map([...namespaceNames].map(([uri, name]) => [name, uri]));

function escape(text) {
  return text.replace(/\\/g, '\\\\').replace(/\n/g, '\\n').replace(/\r/g, '\\r').replace(/\t/g, '\\t');
}

function dumpChildren(parent, depth, lines) {
  for (const node of parent.childNodes) dumpNode(node, depth, lines);
}

function dumpNode(node, depth, lines) {
  const indent = '  '.repeat(depth);
  switch (node.nodeName) {
    case '#documentType':
      lines.push(`${indent}<!DOCTYPE ${node.name} "${node.publicId ?? ''}" "${node.systemId ?? ''}">`);
      return;
    case '#text':
      lines.push(`${indent}"${escape(node.value)}"`);
      return;
    case '#comment':
      lines.push(`${indent}<!--${escape(node.data)}-->`);
      return;
  }
  const space = namespaceNames.get(node.namespaceURI) ?? node.namespaceURI;
  lines.push(`${indent}<${space === 'html' ? '' : space + ' '}${node.tagName}>`);
  for (const attribute of node.attrs) {
    const attributeSpace = attribute.namespace ? (namespaceNames.get(attribute.namespace) ?? attribute.namespace) + ' ' : '';
    const qualified = attribute.prefix ? `${attribute.prefix}:${attribute.name}` : attribute.name;
    lines.push(`${indent}  ${attributeSpace}${qualified}="${escape(attribute.value)}"`);
  }
  if (node.content) {
    lines.push(`${indent}  content`);
    dumpChildren(node.content, depth + 2, lines);
  }
  dumpChildren(node, depth + 1, lines);
}

function dumpCase(testCase) {
  let root;
  if (testCase.context) {
    const uri = namespaceURIs.get(testCase.context.namespace) ?? htmlNames.NS.HTML;
    const context = defaultTreeAdapter.createElement(testCase.context.localName, uri, []);
    root = parseFragment(context, testCase.html, { scriptingEnabled: false });
  } else {
    root = parse(testCase.html, { scriptingEnabled: false });
  }
  const lines = [];
  dumpChildren(root, 0, lines);
  return lines.join('\n');
}

process.stdin.setEncoding('utf8');
if (process.argv.includes('--lines')) {
  // One case a line in, its dump as one JSON string a line out, until the input ends.
  const { createInterface } = await import('node:readline');
  for await (const line of createInterface({ input: process.stdin, crlfDelay: Infinity })) {
    if (line) process.stdout.write(JSON.stringify(dumpCase(JSON.parse(line))) + '\n');
  }
} else {
  let input = '';
  for await (const chunk of process.stdin) input += chunk;
  const results = {};
  for (const testCase of JSON.parse(input)) results[testCase.name] = dumpCase(testCase);
  process.stdout.write(JSON.stringify(results));
}
