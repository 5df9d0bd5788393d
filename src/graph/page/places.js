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

  /** Uses the files of `theGraph`; their names and paths are made as they are needed. */
  function use(theGraph) {
    graph = theGraph;
    shown = new Array(graph.files.length);
    full = new Array(graph.files.length);
  }

  /** The name of file `file` as the page shows it: without the folder of all inputs. */
  function shownName(file) {
    if (shown[file] === undefined) {
      const name = graph.files[file];
      const folder = graph.folder;
      shown[file] = name.length > folder.length && name.startsWith(folder) ? name.slice(folder.length) : name;
    }
    return shown[file];
  }

  /** The full path of file `file`. */
  function pathOf(file) {
    if (full[file] === undefined) {
      const name = slashes(graph.files[file]);
      full[file] = normalize(/^([A-Za-z]:)?\//.test(name) ? name : graph.folderPath + slashes(shownName(file)));
    }
    return full[file];
  }

  /** The name of the file of `r` as the page shows it. */
  function shortName(r) {
    return shownName(graph.fileOf[r]);
  }

  /** The full path of the file of `r`. */
  function fullPath(r) {
    return pathOf(graph.fileOf[r]);
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
        const path = pathOf(file);
        return escapePath(single && path.startsWith('/') ? path.slice(1) : path);
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
