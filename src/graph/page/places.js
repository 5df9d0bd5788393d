// Places in the sources. File names are shown without the folder that holds all
// the inputs, with the full path as a tooltip; with --link=TEMPLATE each place is
// a link made from the template, its fields filled in and escaped.
/* global Dom */
/* exported Places */
const Places = (() => {
  'use strict';

  const FIELDS = /\{(file|line|column|path)\}/g;
  // Addresses that would run in the page; quenwick-graph refuses them too.
  const SCRIPT = /^(javascript|vbscript|data):/i;

  let graph = null;
  let shown = []; // by file: the name shown
  let full = []; // by file: the full path

  /** A path with its "." and ".." parts resolved, "/" between the parts. */
  function normalize(path) {
    const parts = [];
    const rooted = /^([A-Za-z]:)?\//.exec(path);
    const root = rooted ? rooted[0] : '';
    for (const part of path.slice(root.length).split('/')) {
      if (part === '..') parts.pop();
      else if (part !== '' && part !== '.') parts.push(part);
    }
    return root + parts.join('/');
  }

  function slashes(text) {
    return graph.backslashes ? text.replace(/\\/g, '/') : text;
  }

  /** Prepares the names and paths of the files of `theGraph`. */
  function use(theGraph) {
    graph = theGraph;
    const folder = graph.folder;
    shown = graph.files.map((file) =>
      file.length > folder.length && file.startsWith(folder) ? file.slice(folder.length) : file);
    full = graph.files.map((file, i) => {
      const name = slashes(file);
      if (/^([A-Za-z]:)?\//.test(name)) return normalize(name);
      return normalize(graph.folderPath + slashes(shown[i]));
    });
  }

  /** The name of the file of `r` as the page shows it. */
  function shortName(r) {
    return shown[graph.fileOf[r]];
  }

  /** The full path of the file of `r`. */
  function fullPath(r) {
    return full[graph.fileOf[r]];
  }

  /** A text as part of an address: only "/" and ":" stay as they are. */
  function escapePath(text) {
    return encodeURIComponent(text).replace(/%2F/g, '/').replace(/%3A/g, ':');
  }

  /** The address of line `line`, column `column` of the file of `r`, or null. */
  function address(r, line, column) {
    if (graph.link === null) return null;
    const file = graph.fileOf[r];
    const template = graph.link;
    const url = template.replace(FIELDS, (all, field, at) => {
      if (field === 'file') return escapePath(slashes(graph.files[file]));
      if (field === 'path') {
        // After one "/" (vscode://file/{path}) an absolute path does not repeat it;
        // after two (file://{path}) it does.
        const single = template.charAt(at - 1) === '/' && template.charAt(at - 2) !== '/';
        return escapePath(single && full[file].startsWith('/') ? full[file].slice(1) : full[file]);
      }
      if (field === 'line') return String(line);
      return String(column > 0 ? column : 1);
    });
    return SCRIPT.test(url.replace(/[\t\n\r]/g, '').trimStart()) ? null : url;
  }

  /** `text` as a link to a place in the file of `r`, or as text without --link. */
  function element(r, line, column, text, className) {
    const url = address(r, line, column);
    const node = Dom.el(url === null ? 'span' : 'a', className, text);
    if (url !== null) node.href = url;
    return node;
  }

  /** The place of the definition `r`: FILE:LINE, the full path in its tooltip. */
  function definition(r) {
    const node = element(r, graph.line[r], graph.columnOf(r), shortName(r) + ':' + graph.line[r], 'loc');
    node.title = fullPath(r);
    return node;
  }

  /** Fills the element `node` (a link or not) as the place of the definition `r`. */
  function fill(node, r) {
    node.textContent = shortName(r) + ':' + graph.line[r];
    node.title = fullPath(r);
    const url = address(r, graph.line[r], graph.columnOf(r));
    if (url !== null) node.href = url;
  }

  return { use, shortName, fullPath, address, element, definition, fill, escapePath };
})();
