// Start-up: reads the data block, then shows the view of the fragment and wires
// the search box; the places of the calls follow once the page is read. A page
// without data (page.html opened from the source tree) says so.
/* global Graph, Search, Views, Address, Dom, Places */
(() => {
  'use strict';

  /**
   * The text of the data element `id` and of the elements of its class after it
   * (a long text comes in pieces); the elements are emptied, as the text is taken.
   */
  function dataText(id) {
    const pieces = [];
    for (const element of document.querySelectorAll('#' + id + ', script.' + id)) {
      pieces.push(element.textContent);
      element.textContent = '';
    }
    return pieces.join('');
  }

  const main = document.getElementById('view');
  let graph;
  try {
    performance.mark('quenwick-start');
    const data = JSON.parse(dataText('graph-data'));
    performance.mark('quenwick-parsed');
    graph = new Graph.CallGraph(data);
    Places.use(graph);
    performance.mark('quenwick-decoded');
  } catch (error) {
    Dom.clear(main);
    Dom.add(main, Dom.el('h1', '', 'No call graph'),
      Dom.el('p', 'facts', 'This page holds no call graph that it can read (' + error.message +
        '). quenwick-graph --format=html writes pages that do.'));
    document.documentElement.dataset.view = 'error';
    return;
  }
  Views.start(graph);
  performance.mark('quenwick-view');
  // The places of the calls stand after the scripts, so that the first view does not
  // wait for them: once the page is read, they join the view shown.
  const useSites = () => {
    try {
      const sites = dataText('graph-sites');
      if (sites !== '') {
        graph.useSites(JSON.parse(sites));
        Views.placesArrived();
      }
    } catch (error) {
      console.error('the places of the calls cannot be read: ' + error.message);
    }
    document.documentElement.dataset.sites = 'ready';
    document.documentElement.dataset.sitesMs = performance.now().toFixed(0);
  };
  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', useSites);
  else useSites();
  const search = Search.attach(graph, (r) => {
    const fragment = Address.ofRecord(graph, r);
    if (location.hash === fragment) Views.show();
    else location.hash = fragment;
  });
  if (location.hash === '') document.getElementById('search-box').focus();
  // Once the first view is on the screen: note when (milliseconds since the page
  // was asked for), then make the search index.
  requestAnimationFrame(() => setTimeout(() => {
    document.documentElement.dataset.firstViewMs = performance.now().toFixed(0);
    search.prepare();
  }, 0));
})();
