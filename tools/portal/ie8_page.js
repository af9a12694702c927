// Runs a portal page's script as Internet Explorer 8 would let it run, for tools/portal/test_pages.py.
// Reads one JSON object on stdin:
//   {"scripts": [inline script texts, in page order],
//    "elements": {id: {"tag", "value", "options": [{"value", "text"}], "selectedIndex"}},
//    "handlers": [{"element": id, "code": inline handler text, "values": {id: value}, "select": {id: index}}]}
// and writes one: {"syntax": [errors], "runs": [{"navigations", "alerts", "returned", "error"}]}.
// Every script and handler must parse as ECMAScript 3 (IE8's JScript knows no ES5 syntax such as a
// trailing comma in an object literal); it runs without the ES5 library additions and without the DOM
// methods IE8 lacks (addEventListener, getElementsByClassName), so a use of either fails the run.
'use strict';

const vm = require('vm');
const acorn = require('/usr/share/nodejs/acorn');

const input = JSON.parse(require('fs').readFileSync(0, 'utf8'));

function syntaxErrors() {
  const errors = [];
  const check = (text, what, wrap) => {
    try {
      acorn.parse(wrap ? `function handler() {${text}\n}` : text, {ecmaVersion: 3});
    } catch (e) {
      errors.push(`${what}: ${e.message}`);
    }
  };
  input.scripts.forEach((s, i) => check(s, `script ${i + 1}`, false));
  input.handlers.forEach((h) => check(h.code, `handler of #${h.element}`, true));
  return errors;
}

// What IE8 has not: ES5 library functions, and the DOM methods it lacks.
const ES5_ONLY = `
  (function () {
    var gone = [[Array.prototype, ['forEach', 'map', 'filter', 'some', 'every', 'indexOf', 'lastIndexOf',
                                   'reduce', 'reduceRight']],
                [Array, ['isArray']], [String.prototype, ['trim']], [Function.prototype, ['bind']],
                [Object, ['keys', 'create', 'getPrototypeOf', 'freeze', 'seal', 'defineProperties',
                          'getOwnPropertyNames']],
                [Date, ['now']]];
    for (var i = 0; i < gone.length; i++)
      for (var j = 0; j < gone[i][1].length; j++) delete gone[i][0][gone[i][1][j]];
  })();`;

function makeElement(id, spec, record) {
  const element = {id, tagName: (spec.tag || 'div').toUpperCase(), attachEvent() {}, detachEvent() {}};
  if (spec.tag === 'select') {
    element.options = (spec.options || []).map((o) => ({value: o.value, text: o.text}));
    element.selectedIndex = spec.selectedIndex || 0;
    Object.defineProperty(element, 'value', {
      get() { return element.options[element.selectedIndex] ? element.options[element.selectedIndex].value : ''; },
    });
  } else {
    element.value = spec.value || '';
  }
  if (spec.tag === 'form') element.submit = () => record.navigations.push('(form submitted)');
  return element;
}

function run(handler) {
  const record = {navigations: [], alerts: [], returned: null, error: null};
  const elements = {};
  for (const [id, spec] of Object.entries(input.elements)) elements[id] = makeElement(id, spec, record);
  for (const [id, value] of Object.entries(handler.values || {})) elements[id].value = value;
  for (const [id, index] of Object.entries(handler.select || {})) elements[id].selectedIndex = index;

  const location = {};
  let href = 'about:blank';
  Object.defineProperty(location, 'href', {
    get() { return href; },
    set(url) { href = String(url); record.navigations.push(href); },
  });
  location.assign = location.replace = (url) => { location.href = url; };
  const document = {
    getElementById: (id) => elements[id] || null,
    getElementsByTagName: () => [],
    attachEvent() {},
  };
  const sandbox = {document, alert: (text) => record.alerts.push(String(text)), attachEvent() {}};
  const context = vm.createContext(sandbox);
  vm.runInContext(ES5_ONLY, context);
  vm.runInContext('var window = this;', context);
  // The page may navigate through window.location, location or location.href.
  Object.defineProperty(sandbox, 'location', {get: () => location, set: (url) => { location.href = url; }});
  try {
    for (const script of input.scripts) vm.runInContext(script, context);
    if (handler.code) {
      context.__element = elements[handler.element];
      const returned = vm.runInContext(`(function () {${handler.code}\n}).call(__element)`, context);
      record.returned = returned === undefined ? null : returned;
    }
  } catch (e) {
    record.error = String(e && e.message ? e.message : e);
  }
  return record;
}

const output = {syntax: syntaxErrors(), runs: input.handlers.map(run)};
process.stdout.write(JSON.stringify(output));
