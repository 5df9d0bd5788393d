// Start-up: reads the data block, then shows the view of the fragment and wires
// the search box. A page without data (page.html opened from the source tree) says so.
/* global Graph, Search, Views, Address, Dom */
(() => {
  'use strict';

  const main = document.getElementById('view');
  let graph;
  try {
    const block = document.getElementById('graph-data');
    graph = new Graph.CallGraph(JSON.parse(block.textContent));
    block.textContent = ''; // the decoded graph holds everything now
  } catch (error) {
    Dom.clear(main);
    Dom.add(main, Dom.el('h1', '', 'No call graph'),
      Dom.el('p', 'facts', 'This page holds no call graph that it can read (' + error.message +
        '). quenwick-graph --format=html writes pages that do.'));
    document.documentElement.dataset.view = 'error';
    return;
  }
  Views.start(graph);
  Search.attach(graph, (r) => {
    const fragment = Address.ofRecord(graph, r);
    if (location.hash === fragment) Views.show();
    else location.hash = fragment;
  });
  if (location.hash === '') document.getElementById('search-box').focus();
})();
