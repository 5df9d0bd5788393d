// The search box: every function name that holds the typed text, in any letter
// case; exact names first, then names that start with it, then the rest in table
// order. Only the first matches are drawn.
/* global Dom, Places */
/* exported Search */
const Search = (() => {
  'use strict';

  const SHOWN = 50;

  /** All names, lower-cased, in one text, so that a search is a few indexOf scans. */
  class NameIndex {
    constructor(graph) {
      const n = graph.size;
      let text = '\n' + graph.nameText + '\n';
      let lower = text.toLowerCase();
      if (lower.length !== text.length) {
        // Some letter changed length when lower-cased: lower each name on its own.
        const names = [];
        for (let r = 0; r < n; r++) names.push(graph.name(r).toLowerCase());
        lower = '\n' + names.join('\n') + '\n';
      }
      text = null;
      this.text = lower;
      this.starts = new Int32Array(n + 1);
      let at = 1;
      for (let r = 0; r < n; r++) {
        this.starts[r] = at;
        at = lower.indexOf('\n', at) + 1;
      }
      this.starts[n] = lower.length + 1;
    }

    /** The record whose name holds the position `at`. */
    recordAt(at) {
      let low = 0;
      let high = this.starts.length - 2;
      while (low < high) {
        const middle = (low + high + 1) >> 1;
        if (this.starts[middle] <= at) low = middle;
        else high = middle - 1;
      }
      return low;
    }

    /** The first `limit` records matching `query` in order of rank, and how many match. */
    find(query, limit) {
      const found = [];
      const taken = new Set();
      const q = query.toLowerCase();
      if (q === '' || q.indexOf('\n') >= 0 || this.starts.length < 2) return { found, total: 0 };
      const collect = (needle, offset) => {
        for (let at = this.text.indexOf(needle); at >= 0 && found.length < limit;
          at = this.text.indexOf(needle, at + 1)) {
          const r = this.recordAt(at + offset);
          if (!taken.has(r)) {
            taken.add(r);
            found.push(r);
          }
        }
      };
      collect('\n' + q + '\n', 1);
      collect('\n' + q, 1);
      let total = 0;
      for (let at = this.text.indexOf(q); at >= 0; ) {
        const r = this.recordAt(at);
        total++;
        if (found.length < limit && !taken.has(r)) {
          taken.add(r);
          found.push(r);
        }
        at = this.text.indexOf(q, this.starts[r + 1]);
      }
      return { found, total };
    }
  }

  /** Wires the search box to the graph; `open(r)` shows the function `r`. */
  function attach(graph, open) {
    const box = document.getElementById('search-box');
    const list = document.getElementById('search-results');
    const counter = document.getElementById('search-count');
    let index = null;
    let shown = [];
    let active = -1;

    function setActive(i) {
      if (active >= 0 && list.children[active]) {
        list.children[active].setAttribute('aria-selected', 'false');
      }
      active = i;
      if (active >= 0 && list.children[active]) {
        const item = list.children[active];
        item.setAttribute('aria-selected', 'true');
        box.setAttribute('aria-activedescendant', item.id);
        item.scrollIntoView({ block: 'nearest' });
      } else {
        box.removeAttribute('aria-activedescendant');
      }
    }

    function hide() {
      list.hidden = true;
      box.setAttribute('aria-expanded', 'false');
      setActive(-1);
    }

    function item(r, i, q) {
      const li = Dom.el('li', 'match');
      li.id = 'search-item-' + i;
      li.setAttribute('role', 'option');
      li.setAttribute('aria-selected', 'false');
      li.dataset.record = r;
      const name = graph.name(r);
      const at = name.toLowerCase().indexOf(q);
      const label = Dom.el('span', 'fn');
      if (at >= 0 && name.length === name.toLowerCase().length) {
        Dom.add(label, name.slice(0, at), Dom.el('mark', '', name.slice(at, at + q.length)),
          name.slice(at + q.length));
      } else {
        label.textContent = name;
      }
      Dom.add(li, label, ' ', Dom.el('span', 'loc', Places.shortName(r) + ':' + graph.line[r]));
      const caption = graph.caption(r);
      if (caption) Dom.add(li, ' ', Dom.el('span', 'cap', caption));
      return li;
    }

    function update() {
      if (!index) index = new NameIndex(graph);
      const q = box.value.trim();
      const result = index.find(q, SHOWN);
      shown = result.found;
      const items = document.createDocumentFragment();
      const lower = q.toLowerCase();
      shown.forEach((r, i) => items.appendChild(item(r, i, lower)));
      Dom.clear(list);
      list.appendChild(items);
      active = -1;
      if (q === '') {
        counter.textContent = '';
        hide();
        return;
      }
      counter.textContent = result.total === 0 ? 'no match'
        : result.total > shown.length
          ? Dom.count(shown.length) + ' of ' + Dom.plural(result.total, 'match', 'matches')
          : Dom.plural(result.total, 'match', 'matches');
      list.hidden = shown.length === 0;
      box.setAttribute('aria-expanded', String(!list.hidden));
      if (shown.length > 0) setActive(0);
    }

    function choose(i) {
      if (i < 0 || i >= shown.length) return;
      const r = shown[i];
      hide();
      open(r);
    }

    box.addEventListener('input', update);
    box.addEventListener('focus', () => {
      if (box.value.trim() !== '' && shown.length > 0) {
        list.hidden = false;
        box.setAttribute('aria-expanded', 'true');
      }
    });
    box.addEventListener('keydown', (event) => {
      if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
        if (list.hidden || shown.length === 0) return;
        event.preventDefault();
        const step = event.key === 'ArrowDown' ? 1 : -1;
        setActive((active + step + shown.length) % shown.length);
      } else if (event.key === 'Enter') {
        event.preventDefault();
        if (list.hidden && box.value.trim() !== '') update();
        choose(active >= 0 ? active : 0);
      } else if (event.key === 'Escape') {
        hide();
      }
    });
    list.addEventListener('mousedown', (event) => event.preventDefault());
    list.addEventListener('click', (event) => {
      const li = event.target.closest('li.match');
      if (li) choose(Array.prototype.indexOf.call(list.children, li));
    });
    document.addEventListener('click', (event) => {
      if (!event.target.closest('.search')) hide();
    });
    /** Builds the index ahead of the first keystroke. */
    function prepare() {
      if (!index) index = new NameIndex(graph);
    }

    return { update, prepare };
  }

  return { NameIndex, attach };
})();
