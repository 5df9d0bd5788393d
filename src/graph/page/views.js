// The views of the page, chosen by the URL fragment (see address.js): the whole
// tree or the trees of the query, a function with its callees and callers, the tree
// of a function's callees or callers, and a choice among several definitions.
/* global Dom, Address, Tree, Picture, Places */
/* exported Views */
const Views = (() => {
  'use strict';

  const LINE_BUDGET = 20000; // lines a view opens by itself at most
  const OTHERS_SHOWN = 10; // other definitions of a name listed in a function's view

  let graph = null;
  let main = null;
  let shownViews = 0;
  let trees = []; // the trees of the view shown

  function heading(level, text) {
    const h = Dom.el('h' + level, '', text);
    if (level === 1) h.tabIndex = -1;
    return h;
  }

  function where(r) {
    return Places.definition(r);
  }

  /** "macro", "static function" or "function". */
  function kindOf(r) {
    return graph.macro[r] ? 'macro' : graph.isStatic[r] ? 'static function' : 'function';
  }

  /** The other places of a definition (in other branches of a conditional), or null. */
  function otherPlaces(r) {
    const places = graph.morePlaces.get(r);
    if (!places) return null;
    const line = Dom.el('p', 'facts');
    Dom.add(line, 'Also defined at line' + (places.length === 1 ? ' ' : 's '));
    places.forEach((place, i) => {
      if (i > 0) Dom.add(line, ', ');
      Dom.add(line, Places.element(r, place.line, place.column, String(place.line), 'loc'));
    });
    Dom.add(line, ', in other branches of a conditional.');
    return line;
  }

  /** The other definitions of the name of `r`, as links to their views, or null. */
  function otherDefinitions(r) {
    if (!graph.repeated[r]) return null;
    const others = graph.definitions(graph.name(r)).filter((other) => other !== r);
    const line = Dom.el('p', 'facts');
    Dom.add(line, 'Also defined at ');
    others.slice(0, OTHERS_SHOWN).forEach((other, i) => {
      if (i > 0) Dom.add(line, ', ');
      const link = Dom.link(Address.ofRecord(graph, other), Places.shortName(other) + ':' + graph.line[other], 'loc');
      link.title = Places.fullPath(other);
      Dom.add(line, link);
    });
    if (others.length > OTHERS_SHOWN) {
      Dom.add(line, ' and ', Dom.link(Address.ofName(graph.name(r)),
        Dom.count(others.length - OTHERS_SHOWN) + ' more'));
    }
    Dom.add(line, '.');
    return line;
  }

  /** The levels of the picture that the address asks for: 1 each way when not given. */
  function levelsOf(at) {
    const level = (value) => value === null ? 1 : Math.min(value, Picture.MAX_LEVELS);
    return { up: level(at.up), down: level(at.down) };
  }

  /** A tree with a note when it was opened only partly. */
  /**
   * A tree opened to `depth`; with `limited`, the tree of that --depth instead: every
   * function within fewer than `depth` calls of a root lists its children.
   */
  function treeSection(title, roots, upward, depth, hideRoot, limited) {
    const section = Dom.el('section', 'trees');
    Dom.add(section, heading(2, title));
    const tree = new Tree.TreeView(graph, roots, {
      upward, hideRoot, label: title, limit: limited ? depth : Infinity,
    });
    trees.push(tree);
    if (tree.top.length === 0) {
      Dom.add(section, Dom.el('p', 'muted', upward ? 'Nothing calls it in this page.'
        : 'It calls nothing in this page.'));
      return section;
    }
    const complete = tree.openToDepth(limited && tree.walk ? Infinity : depth, LINE_BUDGET);
    section.appendChild(tree.element);
    if (tree.more) section.appendChild(tree.more);
    if (!complete) {
      Dom.add(section, Dom.el('p', 'note', 'Opened as far as ' + Dom.count(LINE_BUDGET) +
        ' lines; open the rest line by line.'));
    }
    return section;
  }

  function functionView(r, at) {
    const name = graph.name(r);
    const depth = at.depth;
    document.title = name + ' - quenwick-graph';
    const calls = graph.callCount(r);
    const callers = graph.callers(r).length;
    Dom.add(main, heading(1, name));
    const facts = Dom.el('p', 'facts');
    Dom.add(facts, Dom.el('span', 'kind', kindOf(r)), ' ', where(r));
    const caption = graph.caption(r);
    if (caption) Dom.add(facts, ' ', Dom.el('span', 'cap', caption));
    Dom.add(main, facts, otherPlaces(r), otherDefinitions(r));
    const counts = Dom.el('p', 'counts');
    Dom.add(counts, Dom.link(Address.ofRecord(graph, r, 'callees'), Dom.plural(calls, 'callee', 'callees')),
      ' · ', Dom.link(Address.ofRecord(graph, r, 'callers'), Dom.plural(callers, 'caller', 'callers')));
    Dom.add(main, counts);
    if (graph.leaf[r]) {
      Dom.add(main, Dom.el('p', 'note',
        'The text tree lists no callees below this name (a table names it with a trailing "/").'));
    }
    Dom.add(main, Picture.section(graph, r, levelsOf(at), (levels) => {
      history.replaceState(history.state, '', Address.ofRecord(graph, r, 'fn', depth, levels));
    }));
    const open = depth === null ? 1 : depth;
    Dom.add(main, treeSection('Calls', [r], false, open, true));
    Dom.add(main, treeSection('Called by', [r], true, open, true));
  }

  function chooserView(name, records, view, depth) {
    document.title = name + ' - quenwick-graph';
    Dom.add(main, heading(1, name));
    Dom.add(main, Dom.el('p', 'facts', Dom.plural(records.length, 'definition', 'definitions') +
      ' of this name in this page:'));
    const list = Dom.el('ul', 'choices');
    for (const r of records) {
      const li = Dom.el('li');
      const link = Dom.link(Address.ofRecord(graph, r, view, depth), Places.shortName(r) + ':' + graph.line[r], 'loc');
      link.title = Places.fullPath(r);
      Dom.add(li, link, ' ', Dom.el('span', 'kind', kindOf(r)));
      const caption = graph.caption(r);
      if (caption) Dom.add(li, ' ', Dom.el('span', 'cap', caption));
      list.appendChild(li);
    }
    Dom.add(main, list);
  }

  function treeView(name, records, upward, depth) {
    document.title = (upward ? 'Callers of ' : 'Callees of ') + name + ' - quenwick-graph';
    Dom.add(main, heading(1, name));
    const back = Dom.el('p', 'facts');
    if (records.length === 1) Dom.add(back, where(records[0]), ' · ');
    Dom.add(back, Dom.link(records.length === 1 ? Address.ofRecord(graph, records[0])
      : Address.ofName(name), 'the function'));
    Dom.add(main, back);
    Dom.add(main, treeSection(upward ? 'Callers' : 'Callees', records, upward,
      depth === null ? Infinity : depth, false, true));
  }

  function describeQuery() {
    const q = graph.query;
    const parts = [];
    for (const key of ['root', 'callers', 'target']) {
      for (const value of q[key]) parts.push('--' + key + '=' + value);
    }
    if (q.depth !== null) parts.push('--depth=' + q.depth);
    return parts.join(' ');
  }

  function homeView() {
    document.title = 'quenwick-graph';
    const query = describeQuery();
    const files = graph.files.length;
    const summary = Dom.plural(graph.size, 'function', 'functions') + ' in ' +
      Dom.plural(files, 'file', 'files') + ', ' + Dom.plural(graph.callTarget.length, 'call', 'calls') + '.';
    Dom.add(main, heading(1, query === '' ? 'Call tree' : 'Call trees of ' + query));
    Dom.add(main, Dom.el('p', 'facts', summary + (query === ''
      ? ' Every function that nothing calls, main first; search above for any other.'
      : ' This page holds only what the query selects.')));
    // A page of a query holds its answer alone, --depth applied: its trees open fully.
    const depth = query === '' ? 0 : Infinity;
    if (graph.roots.length > 0) {
      Dom.add(main, treeSection(query === '' ? 'Functions that nothing calls' : 'Callees',
        graph.roots, false, depth, false));
    }
    if (graph.callerRoots.length > 0) {
      Dom.add(main, treeSection('Callers', graph.callerRoots, true, depth, false));
    }
  }

  function missing(text) {
    document.title = 'Not found - quenwick-graph';
    Dom.add(main, heading(1, 'Not found'));
    Dom.add(main, Dom.el('p', 'facts', text));
  }

  /** Adds the places of the calls, which came after the view was drawn. */
  function placesArrived() {
    for (const tree of trees) tree.fillAllSites();
    for (const picture of main.querySelectorAll('.picture')) picture.qwRedraw();
  }

  /** Draws the view that the fragment names. */
  function show() {
    const at = Address.parse(location.hash);
    Dom.clear(main);
    for (const tree of trees) tree.release();
    trees = [];
    if (at.view === 'home') {
      homeView();
    } else {
      const records = Address.records(graph, at);
      const named = at.name + (at.file === null ? '' : '@' + at.file) +
        (at.line === null ? '' : ' at line ' + at.line);
      if (records.length === 0) {
        missing('No function ' + named + ' is defined in this page.');
      } else if (at.view === 'fn' && records.length > 1) {
        chooserView(at.name, records, 'fn', at.depth);
      } else if (at.view === 'fn') {
        functionView(records[0], at);
      } else {
        treeView(at.name, records, at.view === 'callers', at.depth);
      }
    }
    shownViews++;
    document.documentElement.dataset.view = at.view;
    document.documentElement.dataset.views = String(shownViews);
  }

  /** Shows the view of the fragment, and again whenever the fragment changes. */
  function start(theGraph) {
    graph = theGraph;
    main = document.getElementById('view');
    window.addEventListener('hashchange', () => {
      show();
      const h1 = main.querySelector('h1');
      if (h1) h1.focus();
      window.scrollTo(0, 0);
    });
    show();
  }

  return { start, show, placesArrived };
})();
