// The address of a view in the URL fragment, so that views can be linked and
// bookmarked and the browser's back and forward buttons move between them:
//   #fn=NAME[@FILE][&line=N][&depth=N][&up=N][&down=N]
//                                            a function, its callees and callers; up and
//                                            down: the levels of callers and callees drawn
//   #callees=NAME[@FILE][&line=N][&depth=N]  the tree of its callees
//   #callers=NAME[@FILE][&line=N][&depth=N]  the tree of its callers
//   #NAME                                    the same as #fn=NAME
// FILE is the file name as given to quenwick-graph, as in --root=NAME@FILE.
/* exported Address */
const Address = (() => {
  'use strict';

  const VIEWS = ['fn', 'callees', 'callers'];

  /** A text as a fragment value: "/", "@" and ":" stay readable. */
  function encode(text) {
    return encodeURIComponent(text).replace(/%2F/g, '/').replace(/%40/g, '@').replace(/%3A/g, ':');
  }

  function decode(text) {
    try {
      return decodeURIComponent(text);
    } catch (error) {
      return text; // a stray "%": keep it as it is
    }
  }

  /** The view that a fragment names: {view, name, file, line, depth}. */
  function parse(hash) {
    const where = { view: 'home', name: '', file: null, line: null, depth: null, up: null, down: null };
    const text = hash.charAt(0) === '#' ? hash.slice(1) : hash;
    if (text === '') return where;
    if (text.indexOf('=') < 0) {
      where.view = 'fn';
      where.name = decode(text);
      return where;
    }
    for (const part of text.split('&')) {
      const equals = part.indexOf('=');
      const key = equals < 0 ? part : part.slice(0, equals);
      const value = decode(equals < 0 ? '' : part.slice(equals + 1));
      if (VIEWS.indexOf(key) >= 0) {
        const at = value.indexOf('@');
        where.view = key;
        where.name = at < 0 ? value : value.slice(0, at);
        where.file = at < 0 ? null : value.slice(at + 1);
      } else if ((key === 'line' || key === 'depth') && /^[0-9]+$/.test(value)) {
        where[key] = Number(value);
      } else if ((key === 'up' || key === 'down') && /^[0-9]$/.test(value)) {
        where[key] = Number(value);
      }
    }
    return where;
  }

  /** The records that `where` names: its name, in its file and at its line when given. */
  function records(graph, where) {
    return graph.definitions(where.name).filter((r) =>
      (where.file === null || graph.fileName(r) === where.file) &&
      (where.line === null || graph.line[r] === where.line));
  }

  /**
   * The fragment of the view `view` of record `r`, as short as names it alone;
   * `levels` {up, down} are the levels of its picture (1 each when not given).
   */
  function ofRecord(graph, r, view, depth, levels) {
    const name = graph.name(r);
    let text = '#' + (view || 'fn') + '=' + encode(name);
    if (graph.repeated[r]) {
      const all = graph.definitions(name);
      const file = graph.fileName(r);
      text += '@' + encode(file);
      if (all.filter((other) => graph.fileName(other) === file).length > 1) {
        text += '&line=' + graph.line[r];
      }
    }
    if (depth !== undefined && depth !== null) text += '&depth=' + depth;
    if (levels && levels.up !== 1) text += '&up=' + levels.up;
    if (levels && levels.down !== 1) text += '&down=' + levels.down;
    return text;
  }

  /** The fragment of the view `view` of every definition of `name`. */
  function ofName(name, view) {
    return '#' + (view || 'fn') + '=' + encode(name);
  }

  return { parse, records, ofRecord, ofName, encode };
})();
