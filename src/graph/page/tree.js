// Trees of callees or callers, drawn as the text tree draws them and opened one
// level at a time: nothing below a node is drawn before it is opened.
//
// The markers are those of the text tree. Walking depth first from the roots, the
// text tree lists a function's children where it meets the function first; where
// it meets it again it writes "already shown" instead (unless -P was given), and
// where the function calls back into the path above it, "recursion". A walk of the
// whole tree, done once per tree, tells which meeting is the first, so a node opened
// anywhere shows what the text tree shows there, whatever was opened before.
/* global Dom, Graph, Address, Places */
/* exported Tree */
const Tree = (() => {
  'use strict';

  const ROOT_CHUNK = 500;
  const SITES_SHOWN = 4; // call places listed on a line; the rest in its tooltip
  const CANDIDATES_SHOWN = 4; // definitions listed for a name with several

  // The elements of one line, cloned for each: the twisty, the name (a link when it
  // has a view), the marker, the place (a link with --link), where the call is made
  // and the caption.
  const LINE = (() => {
    const li = Dom.el('li', 'node');
    li.setAttribute('role', 'treeitem');
    li.tabIndex = -1;
    const row = Dom.el('div', 'row');
    // Spaces between the parts, so that the line reads as text too.
    Dom.add(row, Dom.el('span', 'twisty'), Dom.el('a', 'fn'), ' ', Dom.el('span', 'mark'), ' ',
      Dom.el('a', 'loc'), ' ', Dom.el('span', 'site'), ' ', Dom.el('span', 'cap'));
    li.appendChild(row);
    return li;
  })();

  /**
   * Fills `node` with the places of the call `k` of the record `r`: "called at lines
   * 15, 17" below the caller, or "calls at a.c:15" for a caller (`named`).
   */
  function fillSites(node, graph, r, k, named) {
    const places = k < 0 ? [] : graph.sites(r, k);
    if (places.length === 0) return;
    const file = Places.shortName(r);
    Dom.add(node, named ? 'calls at ' : places.length === 1 ? 'called at line ' : 'called at lines ');
    places.slice(0, SITES_SHOWN).forEach((place, i) => {
      if (i > 0) Dom.add(node, ', ');
      Dom.add(node, Places.element(r, place.line, place.column,
        (named && i === 0 ? file + ':' : '') + place.line));
    });
    if (places.length > SITES_SHOWN) Dom.add(node, ' and ' + Dom.count(places.length - SITES_SHOWN) + ' more');
    node.title = places.map((place) => file + ':' + place.line).join(', ');
  }

  /** Fills `node` with the definitions that a name with several may stand for, as links. */
  function fillCandidates(node, graph, set) {
    if (set.length === 0) {
      node.textContent = 'several definitions, none in this page';
      return;
    }
    Dom.add(node, Dom.plural(set.length, 'definition', 'definitions') + ': ');
    set.slice(0, CANDIDATES_SHOWN).forEach((r, i) => {
      if (i > 0) Dom.add(node, ', ');
      const link = Dom.link(Address.ofRecord(graph, r), Places.shortName(r) + ':' + graph.line[r]);
      link.title = Places.fullPath(r);
      Dom.add(node, link);
    });
    if (set.length > CANDIDATES_SHOWN) {
      Dom.add(node, ', ', Dom.link(Address.ofName(graph.name(set[0])),
        Dom.count(set.length - CANDIDATES_SHOWN) + ' more'));
    }
  }

  // Arrays of one number per record, kept for the next walk once a view is left:
  // a large graph would otherwise make each view allocate megabytes, and the
  // collector would stop the page now and then to take them back.
  const spare = [];
  let stack = new Int32Array(0);
  let next = new Int32Array(0);

  function recordArray(n, value) {
    const array = spare.length > 0 && spare[spare.length - 1].length === n ? spare.pop()
      : new Int32Array(n);
    return array.fill(value);
  }

  /**
   * The depth-first walk of the text tree over the whole tree below `roots`; with a
   * finite `limit` (a --depth), only the records within fewer than `limit` calls of
   * a root list their children, as in the text tree of that depth.
   */
  class Walk {
    constructor(graph, roots, upward, limit) {
      const n = graph.size;
      this.first = recordArray(n, -1); // when the walk met each record first
      this.last = recordArray(n, 0); // when it left it
      this.parent = recordArray(n, -1); // the record it was met from first
      this.rootRepeated = new Set(); // places in `roots` of roots met before
      this.limit = limit === undefined ? Infinity : limit;
      this.distance = null; // with a limit: calls from the nearest root, -1 when none
      if (stack.length < n) {
        stack = new Int32Array(n);
        next = new Int32Array(n);
      }
      const end = (r) => upward ? graph.callerStart[r + 1] : graph.callStart[r + 1];
      if (upward) graph.callers(0);
      // The children walked: callers, or calls that resolve to one definition.
      const childAt = (k) => upward ? graph.callerList[k]
        : graph.callKind[k] === Graph.DEFINED ? graph.callTarget[k] : -1;
      if (this.limit !== Infinity) this.distance = this.distances(graph, roots, upward, childAt);
      const begin = (r) => !this.lists(r) ? end(r) : upward ? graph.callerStart[r]
        : graph.leaf[r] ? graph.callStart[r + 1] : graph.callStart[r];
      let clock = 0;
      roots.forEach((root, i) => {
        if (this.first[root] >= 0) {
          this.rootRepeated.add(i);
          return;
        }
        let depth = 0;
        stack[0] = root;
        next[0] = begin(root);
        this.first[root] = clock++;
        while (depth >= 0) {
          const r = stack[depth];
          const stop = end(r);
          let child = -1;
          while (next[depth] < stop) {
            const c = childAt(next[depth]++);
            if (c >= 0 && this.first[c] < 0) {
              child = c;
              break;
            }
          }
          if (child < 0) {
            this.last[r] = clock++;
            depth--;
            continue;
          }
          this.parent[child] = r;
          this.first[child] = clock++;
          depth++;
          stack[depth] = child;
          next[depth] = begin(child);
        }
      });
    }

    /** Breadth-first distances from `roots` along the children that `childAt` gives. */
    distances(graph, roots, upward, childAt) {
      const distance = recordArray(graph.size, -1);
      const queue = [];
      for (const root of roots) {
        if (distance[root] < 0) {
          distance[root] = 0;
          queue.push(root);
        }
      }
      for (let i = 0; i < queue.length; i++) {
        const r = queue[i];
        if (distance[r] >= this.limit || (!upward && graph.leaf[r])) continue;
        const from = upward ? graph.callerStart[r] : graph.callStart[r];
        const to = upward ? graph.callerStart[r + 1] : graph.callStart[r + 1];
        for (let k = from; k < to; k++) {
          const c = childAt(k);
          if (c >= 0 && distance[c] < 0) {
            distance[c] = distance[r] + 1;
            queue.push(c);
          }
        }
      }
      return distance;
    }

    /** True when the walk lists the children of `r`: it is nearer than the limit. */
    lists(r) {
      return this.distance === null || this.distance[r] < this.limit;
    }

    /** Gives the arrays back for the next walk. */
    release() {
      spare.push(this.first, this.last, this.parent);
      if (this.distance) spare.push(this.distance);
      this.first = this.last = this.parent = this.distance = null;
    }

    /** The marker of `child` met from `r`, where `r` lists its children. */
    mark(r, child) {
      if (this.first[child] <= this.first[r] && this.last[child] >= this.last[r]) {
        return 'recursion';
      }
      return this.parent[child] === r ? '' : 'repeat';
    }
  }

  /** One line of a tree: a function, or a called name without one definition. */
  class Node {
    constructor(parent, kind, target, mark, call) {
      this.parent = parent;
      this.kind = kind; // Graph.DEFINED, UNDEFINED or SEVERAL
      this.target = target; // the record, or the place of the name in otherNames
      this.mark = mark; // '', 'recursion' or 'repeat'
      this.call = call; // the call that the line stands for (-1 for a root)
      this.depth = parent ? parent.depth + 1 : 0;
      this.li = null;
      this.group = null;
      this.open = false;
    }
  }

  /** A tree of callees (or of callers, when `upward`) below `roots`, as a list element. */
  class TreeView {
    constructor(graph, roots, options) {
      this.graph = graph;
      this.upward = Boolean(options.upward);
      // With a limit the lines below the records at the limit stay closed, as the
      // text tree of that --depth leaves them; under -P the limit is that of the lines.
      this.walk = graph.repeatMarked ? new Walk(graph, roots, this.upward, options.limit) : null;
      this.rows = 0;
      this.element = Dom.el('ul', 'tree');
      this.element.setAttribute('role', 'tree');
      this.element.setAttribute('aria-label', options.label);
      this.more = null;
      this.roots = roots.map((r, i) => new Node(null, Graph.DEFINED, r,
        this.walk && this.walk.rootRepeated.has(i) ? 'repeat' : '', -1));
      if (options.hideRoot) {
        // One root, drawn by the view above the tree: its children are the top lines.
        this.top = this.children(this.roots[0]);
        this.roots[0].open = true;
      } else {
        this.top = this.roots;
      }
      this.drawn = 0;
      this.drawMoreTop();
      this.element.addEventListener('click', (event) => this.onClick(event));
      this.element.addEventListener('keydown', (event) => this.onKey(event));
      this.element.addEventListener('focusin', (event) => this.onFocus(event));
      const first = this.element.querySelector('[role=treeitem]');
      if (first) first.tabIndex = 0;
    }

    /** Ends the tree: its walk's arrays serve the next tree. */
    release() {
      if (this.walk) this.walk.release();
      this.walk = null;
    }

    /** Draws the next chunk of top lines; a button draws more. */
    drawMoreTop() {
      const items = document.createDocumentFragment();
      const stop = Math.min(this.top.length, this.drawn + ROOT_CHUNK);
      for (; this.drawn < stop; this.drawn++) items.appendChild(this.line(this.top[this.drawn]));
      this.element.appendChild(items);
      const left = this.top.length - this.drawn;
      if (left > 0 && !this.more) {
        this.more = Dom.el('button', 'more');
        this.more.type = 'button';
        this.more.addEventListener('click', () => this.drawMoreTop());
      }
      if (this.more) {
        this.more.textContent = 'Show ' + Dom.count(Math.min(left, ROOT_CHUNK)) + ' more of ' +
          Dom.count(left);
        this.more.hidden = left === 0;
      }
    }

    /**
     * True when `node` can be opened: a function with children. A line marked as
     * shown before opens too, to the same children; a recursion does not.
     */
    openable(node) {
      if (node.kind !== Graph.DEFINED || node.mark === 'recursion') return false;
      const r = node.target;
      if (this.walk && !this.walk.lists(r)) return false;
      if (this.upward) return this.graph.callers(r).length > 0;
      return !this.graph.leaf[r] && this.graph.callCount(r) > 0;
    }

    /** The children of `node`, with their markers. */
    children(node) {
      const graph = this.graph;
      const r = node.target;
      const list = [];
      if (this.upward) {
        // The call that each caller makes is found when its places are shown.
        for (const c of graph.callers(r)) list.push(new Node(node, Graph.DEFINED, c, this.mark(node, c), -1));
        return list;
      }
      for (let k = graph.callStart[r]; k < graph.callStart[r + 1]; k++) {
        const kind = graph.callKind[k];
        const target = graph.callTarget[k];
        list.push(new Node(node, kind, target, kind === Graph.DEFINED ? this.mark(node, target) : '', k));
      }
      return list;
    }

    mark(node, child) {
      if (this.walk) return this.walk.mark(node.target, child);
      for (let up = node; up; up = up.parent) {
        if (up.target === child && up.kind === Graph.DEFINED) return 'recursion';
      }
      return '';
    }

    /** The list item of `node`; texts of the sources go in as text only. */
    line(node) {
      const graph = this.graph;
      const markers = graph.markers;
      const li = LINE.cloneNode(true);
      const row = li.firstChild;
      const name = row.childNodes[1];
      const mark = row.childNodes[3];
      const place = row.childNodes[5];
      const sites = row.childNodes[7];
      const caption = row.childNodes[9];
      li.qwNode = node;
      node.li = li;
      let text;
      this.fillSites(node, sites);
      if (node.kind === Graph.DEFINED) {
        const r = node.target;
        text = graph.name(r);
        name.href = Address.ofRecord(graph, r);
        Places.fill(place, r);
        if (graph.macro[r]) li.dataset.macro = '';
        caption.textContent = graph.caption(r);
        if (node.mark === 'recursion') mark.textContent = markers.recursion;
        if (node.mark === 'repeat') mark.textContent = markers.expanded;
        li.dataset.kind = 'function';
        if (node.mark) li.dataset.mark = node.mark;
      } else if (node.kind === Graph.SEVERAL) {
        text = graph.otherNames[node.target];
        name.href = Address.ofName(text);
        fillCandidates(place, graph, graph.otherSets[node.target]);
        mark.textContent = markers.multi;
        li.dataset.kind = 'several';
      } else {
        text = graph.otherNames[node.target];
        name.className = 'fn undefined';
        place.textContent = 'not defined in these files';
        li.dataset.kind = 'undefined';
      }
      name.textContent = text;
      li.dataset.name = text;
      li.setAttribute('aria-level', String(node.depth + (this.top === this.roots ? 1 : 0)));
      if (this.openable(node)) li.setAttribute('aria-expanded', 'false');
      this.rows++;
      return li;
    }

    /**
     * Shows in `element` where the call of the line `node` is made: below a caller,
     * its places of the call; in a tree of callers, the caller's places of the call
     * of the line above.
     */
    fillSites(node, element) {
      Dom.clear(element);
      element.removeAttribute('title');
      const graph = this.graph;
      if (!graph.hasSites || !node.parent) return;
      const k = this.upward ? graph.callTo(node.target, node.parent.target) : node.call;
      if (k >= 0) fillSites(element, graph, this.upward ? node.target : node.parent.target, k, this.upward);
    }

    /** Shows the places of the calls on every line drawn, once they are known. */
    fillAllSites() {
      for (const li of this.element.querySelectorAll('li.node')) {
        this.fillSites(li.qwNode, li.firstChild.childNodes[7]);
      }
    }

    /** Opens `node`, drawing its children the first time. */
    openNode(node) {
      if (node.open || !this.openable(node)) return;
      if (!node.group) {
        node.group = Dom.el('ul', 'group');
        node.group.setAttribute('role', 'group');
        const items = document.createDocumentFragment();
        for (const child of this.children(node)) items.appendChild(this.line(child));
        node.group.appendChild(items);
        node.li.appendChild(node.group);
      } else {
        node.group.hidden = false;
      }
      node.open = true;
      node.li.setAttribute('aria-expanded', 'true');
    }

    closeNode(node) {
      if (!node.open || !node.group) return;
      node.group.hidden = true;
      node.open = false;
      node.li.setAttribute('aria-expanded', 'false');
    }

    /**
     * Opens every node above depth `depth` (the roots are at depth 0), level by level,
     * while fewer than `budget` lines are drawn; false when the budget stopped it.
     */
    openToDepth(depth, budget) {
      let level = this.top.slice(0, this.drawn);
      while (level.length > 0) {
        const next = [];
        for (const node of level) {
          // As the text tree: a line marked as shown before stays closed.
          if (node.depth >= depth || node.mark !== '' || !this.openable(node)) continue;
          if (this.rows >= budget) return false;
          this.openNode(node);
          for (const li of node.group.children) next.push(li.qwNode);
        }
        level = next;
      }
      return true;
    }

    onClick(event) {
      if (event.target.closest('a[href]')) return; // a name or a place: its link opens it
      const li = event.target.closest('li.node');
      if (!li || !this.element.contains(li)) return;
      this.toggle(li.qwNode);
      this.focus(li);
    }

    toggle(node) {
      if (node.open) this.closeNode(node);
      else this.openNode(node);
    }

    onFocus(event) {
      const li = event.target.closest('li.node');
      if (!li) return;
      for (const other of this.element.querySelectorAll('li.node[tabindex="0"]')) {
        if (other !== li) other.tabIndex = -1;
      }
      li.tabIndex = 0;
    }

    focus(li) {
      if (!li) return;
      li.focus({ preventScroll: true });
      const box = li.firstElementChild.getBoundingClientRect();
      if (box.top < 50 || box.bottom > window.innerHeight) li.firstElementChild.scrollIntoView({ block: 'nearest' });
    }

    /** The next line shown below `li`, or null. */
    below(li) {
      const node = li.qwNode;
      if (node.open && node.group.firstElementChild) return node.group.firstElementChild;
      for (let at = li; at; at = this.parentItem(at)) {
        if (at.nextElementSibling && at.nextElementSibling.matches('li.node')) {
          return at.nextElementSibling;
        }
      }
      return null;
    }

    /** The line shown above `li`, or null. */
    above(li) {
      let at = li.previousElementSibling;
      if (!at) return this.parentItem(li);
      while (at.qwNode.open && at.qwNode.group.lastElementChild) {
        at = at.qwNode.group.lastElementChild;
      }
      return at;
    }

    parentItem(li) {
      const group = li.parentElement;
      return group && group !== this.element ? group.parentElement : null;
    }

    onKey(event) {
      const li = event.target.closest('li.node');
      if (!li || event.altKey || event.ctrlKey || event.metaKey) return;
      const node = li.qwNode;
      let handled = true;
      switch (event.key) {
        case 'ArrowDown':
          this.focus(this.below(li));
          break;
        case 'ArrowUp':
          this.focus(this.above(li));
          break;
        case 'ArrowRight':
          if (!node.open) this.openNode(node);
          else if (node.group.firstElementChild) this.focus(node.group.firstElementChild);
          break;
        case 'ArrowLeft':
          if (node.open) this.closeNode(node);
          else this.focus(this.parentItem(li));
          break;
        case 'Home':
          this.focus(this.element.querySelector('li.node'));
          break;
        case 'End': {
          let last = this.element.lastElementChild;
          while (last && last.qwNode.open && last.qwNode.group.lastElementChild) {
            last = last.qwNode.group.lastElementChild;
          }
          this.focus(last);
          break;
        }
        case 'Enter': {
          const link = li.querySelector(':scope > .row > a.fn[href]');
          if (link) location.hash = link.hash;
          break;
        }
        case ' ':
          this.toggle(node);
          break;
        default:
          handled = false;
      }
      if (handled) event.preventDefault();
    }
  }

  return { TreeView, Walk };
})();
