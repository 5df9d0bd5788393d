// The picture of a function's neighbourhood, drawn as SVG: the function in the
// middle, its callers in columns to the left and its callees to the right, one
// column per level.
//
// What is drawn. Levels are found breadth first, a level of callees, then a level
// of callers, then the next of each; a function stands once, on the level where it
// is met first. A level holds at most FOLD boxes: the rest fold into one "+N more"
// box, which adds UNFOLD of them when opened. The calls drawn are those that the
// trees of --root=NAME --depth=DOWN and --callers=NAME --depth=UP follow: every call
// made by a function less than DOWN levels to the right (the function included),
// and every call to a function less than UP levels to the left.
//
// How it is laid out. Each level is a column; the order within the columns comes
// from barycentre sweeps out from the middle and back, keeping the order with the
// fewest crossings; each box is then placed as near as it can to the mean height of
// its neighbours in the column nearer the middle, without touching the boxes above
// and below it (a least-squares fit by pooling adjacent violators). Boxes never
// overlap: the columns are as wide as their widest box, and the boxes of a column
// are kept apart by at least GAP_Y.
/* global Dom, Graph, Address, Places */
/* exported Picture */
const Picture = (() => {
  'use strict';

  const SVG = 'http://www.w3.org/2000/svg';
  const FOLD = 12; // boxes on one level before the rest fold into "+N more"
  const UNFOLD = 50; // boxes that opening "+N more" adds
  const MAX_LEVELS = 3; // levels each way that the control offers
  const LABEL_CHARS = 40; // longer names and files are cut; the tooltip has them whole
  const FONT_SIZE = 12;
  const FONT_FAMILY = 'ui-monospace, "SFMono-Regular", Menlo, Consolas, monospace';
  const LINE_HEIGHT = 15;
  const PAD_X = 8;
  const PAD_Y = 5;
  const GAP_X = 76; // between columns: room for the edges and their counts
  const GAP_Y = 10; // between the boxes of a column
  const MARGIN = 24;
  const SWEEPS = 4;

  // Colours of a saved picture, which has no style sheet of the page around it.
  const SAVED_STYLE = [
    'text{fill:#1d1f21}', '.sub,.count{fill:#5c6166}',
    '.node rect{fill:#f3f4f6;stroke:#8a9099;stroke-width:1}',
    '.center rect{fill:#dbe6fb;stroke:#0b57d0;stroke-width:2}', '.center text{font-weight:600}',
    '.macro rect{fill:#fdf0d5;stroke:#a56a00}', '.macro text{font-style:italic}',
    '.undefined rect{fill:none;stroke-dasharray:4 3}', '.undefined text{fill:#5c6166}',
    '.several rect{stroke-dasharray:1.5 2.5}', '.more rect{fill:none;stroke-dasharray:2 2}',
    '.edge{fill:none;stroke:#6b7280;stroke-width:1.2}', '.edge.other{stroke-dasharray:5 3}',
    '.edge.undefined{stroke-dasharray:4 3}', '.edge.several{stroke-dasharray:1.5 2.5}',
    '.arrow{fill:#6b7280}', '.count{paint-order:stroke;stroke:#fff;stroke-width:3px}',
  ].join('');

  function svg(tag, attributes) {
    const node = document.createElementNS(SVG, tag);
    for (const name in attributes) node.setAttribute(name, attributes[name]);
    return node;
  }

  /** `text` cut to `limit` characters at its end (or, with `fromStart`, at its start). */
  function cut(text, limit, fromStart) {
    if (text.length <= limit) return text;
    return fromStart ? '\u2026' + text.slice(text.length - limit + 1) : text.slice(0, limit - 1) + '\u2026';
  }

  // ---- What is drawn --------------------------------------------------------

  /** The boxes and calls of the neighbourhood of `center`. */
  class Neighbourhood {
    constructor(graph, center, up, down, limits) {
      this.graph = graph;
      this.up = up;
      this.down = down;
      this.nodes = [];
      this.edges = [];
      this.claimed = new Map(); // key of a function or name: its box (or its "+N more")
      this.add({ kind: this.kindOf(center), record: center, level: 0 }, 'r' + center);
      this.center = this.nodes[0];
      let right = [0];
      let left = [0];
      for (let k = 1; k <= Math.max(up, down); k++) {
        if (k <= down) right = this.level(right, k, limits.get(k) || FOLD);
        if (k <= up) left = this.level(left, -k, limits.get(-k) || FOLD);
      }
      this.connect();
    }

    kindOf(r) {
      return this.graph.macro[r] ? 'macro' : 'function';
    }

    add(node, key) {
      node.id = this.nodes.length;
      this.nodes.push(node);
      if (key !== null) this.claimed.set(key, node.id);
      return node.id;
    }

    /** Finds the next level out from the boxes `from`; returns its function boxes. */
    level(from, level, limit) {
      const graph = this.graph;
      const found = [];
      const seen = new Set();
      const meet = (key, node) => {
        if (this.claimed.has(key) || seen.has(key)) return;
        seen.add(key);
        node.key = key;
        found.push(node);
      };
      for (const id of from) {
        const r = this.nodes[id].record;
        if (level > 0) {
          if (graph.leaf[r]) continue;
          for (let k = graph.callStart[r]; k < graph.callStart[r + 1]; k++) {
            const target = graph.callTarget[k];
            const kind = graph.callKind[k];
            if (kind === Graph.DEFINED) meet('r' + target, { kind: this.kindOf(target), record: target });
            else meet('o' + target, { kind: kind === Graph.UNDEFINED ? 'undefined' : 'several', other: target });
          }
        } else {
          for (const c of graph.callers(r)) meet('r' + c, { kind: this.kindOf(c), record: c });
        }
      }
      const shown = found.length > limit ? limit - 1 : found.length;
      const next = [];
      for (let i = 0; i < shown; i++) {
        const node = found[i];
        node.level = level;
        const id = this.add(node, node.key);
        if (node.record !== undefined) next.push(id);
      }
      if (shown < found.length) {
        const more = this.add({ kind: 'more', level, hidden: found.length - shown }, null);
        for (let i = shown; i < found.length; i++) this.claimed.set(found[i].key, more);
      }
      return next;
    }

    /** True when the calls that the box `node` makes are drawn. */
    followsCalls(node) {
      return node.record !== undefined && (node.level === 0 ? this.down > 0 : node.level > 0 && node.level < this.down);
    }

    /** True when the calls made to the box `node` are drawn. */
    followsCallers(node) {
      return node.record !== undefined && (node.level === 0 ? this.up > 0 : node.level < 0 && -node.level < this.up);
    }

    /** The drawn calls, each once: from, to, the call and how often it is made. */
    connect() {
      const graph = this.graph;
      const known = new Set();
      const link = (from, to, caller, call) => {
        if (from === undefined || to === undefined || known.has(from * this.nodes.length + to)) return;
        known.add(from * this.nodes.length + to);
        const a = this.nodes[from];
        const b = this.nodes[to];
        const count = call >= 0 && a.kind !== 'more' && b.kind !== 'more' ? graph.siteCount(caller, call) : 0;
        this.edges.push({ from, to, count, kind: b.kind === 'undefined' || b.kind === 'several' ? b.kind : '' });
      };
      for (const node of this.nodes.slice()) {
        const r = node.record;
        if (this.followsCalls(node) && !graph.leaf[r]) {
          for (let k = graph.callStart[r]; k < graph.callStart[r + 1]; k++) {
            const key = (graph.callKind[k] === Graph.DEFINED ? 'r' : 'o') + graph.callTarget[k];
            link(node.id, this.claimed.get(key), r, k);
          }
        }
        if (this.followsCallers(node)) {
          for (const c of graph.callers(r)) {
            const from = this.claimed.get('r' + c);
            if (from === undefined) continue;
            link(from, node.id, c, graph.hasSites && this.nodes[from].kind !== 'more' ? graph.callTo(c, r) : -1);
          }
        }
      }
    }
  }

  // ---- Layout ---------------------------------------------------------------

  let measure = null;

  /** The width in pixels of `text` in the picture's font. */
  function textWidth(text) {
    if (!measure) {
      measure = { context: document.createElement('canvas').getContext('2d'), known: new Map() };
      measure.context.font = FONT_SIZE + 'px ' + FONT_FAMILY;
    }
    let width = measure.known.get(text);
    if (width === undefined) {
      width = measure.context.measureText(text).width;
      measure.known.set(text, width);
    }
    return width;
  }

  /** The texts of each box: its label, a second line, its tooltip and its address. */
  function describe(graph, node, levels) {
    if (node.kind === 'more') {
      node.label = '+' + Dom.count(node.hidden) + ' more';
      node.title = Dom.plural(node.hidden, 'more function', 'more functions') + ' on this level; open to show ' +
        Dom.count(Math.min(node.hidden, UNFOLD)) + ' of them';
      return;
    }
    if (node.record === undefined) {
      const name = graph.otherNames[node.other];
      node.label = cut(name, LABEL_CHARS);
      if (node.kind === 'undefined') {
        node.title = name + '\nnot defined in these files';
      } else {
        const set = graph.otherSets[node.other];
        node.sub = set.length === 0 ? 'several definitions' : Dom.plural(set.length, 'definition', 'definitions');
        node.title = name + '\n' + node.sub + ': ' +
          set.slice(0, 10).map((r) => Places.shortName(r) + ':' + graph.line[r]).join(', ') +
          (set.length > 10 ? ', \u2026' : '');
        node.href = Address.ofName(name);
      }
      return;
    }
    const r = node.record;
    const name = graph.name(r);
    node.label = cut(name, LABEL_CHARS);
    // A static function, or a name defined more than once, shows its file.
    if (graph.isStatic[r] || graph.repeated[r]) node.sub = cut(Places.shortName(r), LABEL_CHARS, true);
    const what = [graph.macro[r] ? 'macro' : '', graph.isStatic[r] ? 'static' : ''].filter(Boolean).join(', ');
    node.title = name + (what ? ' (' + what + ')' : '') + '\n' + Places.shortName(r) + ':' + graph.line[r] +
      '\n' + Places.fullPath(r) + (graph.caption(r) ? '\n' + graph.caption(r) : '');
    node.href = Address.ofRecord(graph, r, 'fn', null, levels);
  }

  /** The number of crossings between two columns joined by `pairs` of positions. */
  function crossings(pairs) {
    pairs.sort((a, b) => a[0] - b[0] || a[1] - b[1]);
    // Inversions of the second positions, counted with a Fenwick tree.
    let size = 1;
    for (const pair of pairs) size = Math.max(size, pair[1] + 2);
    const tree = new Int32Array(size + 1);
    let count = 0;
    pairs.forEach((pair, i) => {
      let atMost = 0;
      for (let j = pair[1] + 1; j > 0; j -= j & -j) atMost += tree[j];
      count += i - atMost;
      for (let j = pair[1] + 1; j <= size; j += j & -j) tree[j]++;
    });
    return count;
  }

  /**
   * Places `column` (boxes with a height `h` and a wanted centre `want`, in order)
   * as near as possible to the wanted centres, at least GAP_Y apart: sets `cy`.
   */
  function placeColumn(column) {
    // Centre i = z_i + offset_i with z non-decreasing: pool adjacent violators.
    const offsets = [];
    let offset = 0;
    column.forEach((node, i) => {
      if (i > 0) offset += (column[i - 1].h + node.h) / 2 + GAP_Y;
      offsets.push(offset);
    });
    const blocks = []; // {sum, count}
    column.forEach((node, i) => {
      let block = { sum: node.want - offsets[i], count: 1 };
      const mean = (b) => b.sum / b.count;
      while (blocks.length > 0 && mean(blocks[blocks.length - 1]) >= mean(block)) {
        const last = blocks.pop();
        block = { sum: last.sum + block.sum, count: last.count + block.count };
      }
      blocks.push(block);
    });
    let i = 0;
    for (const block of blocks) {
      const z = block.sum / block.count;
      for (let j = 0; j < block.count; j++, i++) column[i].cy = z + offsets[i];
    }
  }

  /** Lays the neighbourhood out: sets x, y, w, h of each box and the picture's size. */
  function layout(hood) {
    const nodes = hood.nodes;
    const levels = new Map();
    for (const node of nodes) {
      if (!levels.has(node.level)) levels.set(node.level, []);
      levels.get(node.level).push(node);
      const text = Math.max(textWidth(node.label), node.sub ? textWidth(node.sub) : 0);
      node.w = Math.ceil(text) + 2 * PAD_X;
      node.h = (node.sub ? 2 : 1) * LINE_HEIGHT + 2 * PAD_Y;
      node.inner = [];
      node.outer = [];
    }
    const low = Math.min(...levels.keys());
    const high = Math.max(...levels.keys());
    // Neighbours in the next column towards the middle (inner) and away (outer).
    for (const edge of hood.edges) {
      const a = nodes[edge.from];
      const b = nodes[edge.to];
      if (Math.abs(a.level - b.level) !== 1) continue;
      const [inner, outer] = Math.abs(a.level) < Math.abs(b.level) ? [a, b] : [b, a];
      outer.inner.push(inner);
      inner.outer.push(outer);
    }
    orderColumns(levels, low, high);
    const columnX = new Map();
    let x = 0;
    for (let level = low; level <= high; level++) {
      const column = levels.get(level) || [];
      const width = Math.max(0, ...column.map((node) => node.w));
      for (const node of column) {
        node.x = level < 0 ? x + width - node.w : level > 0 ? x : x + (width - node.w) / 2;
      }
      columnX.set(level, x);
      if (column.length > 0) x += width + GAP_X;
    }
    placeHeights(levels, low, high);
    let top = Infinity;
    let bottom = -Infinity;
    for (const node of nodes) {
      node.y = node.cy - node.h / 2;
      top = Math.min(top, node.y);
      bottom = Math.max(bottom, node.y + node.h);
    }
    for (const node of nodes) {
      node.x += MARGIN;
      node.y += MARGIN - top;
      node.cy += MARGIN - top;
    }
    hood.width = Math.ceil(x - GAP_X + 2 * MARGIN + 20);
    hood.height = Math.ceil(bottom - top + 2 * MARGIN + 24);
  }

  /** Orders the boxes of each column to cross few edges: barycentre sweeps. */
  function orderColumns(levels, low, high) {
    const position = (node) => node.order / Math.max(1, node.columnSize - 1);
    const number = (column) => column.forEach((node, i) => {
      node.order = i;
      node.columnSize = column.length;
    });
    const sortBy = (level, side) => {
      const column = levels.get(level);
      if (!column) return;
      for (const node of column) {
        const next = node[side];
        node.bary = next.length === 0 ? position(node)
          : next.reduce((sum, other) => sum + position(other), 0) / next.length;
      }
      // "+N more" stays last in its column.
      column.sort((a, b) => (a.kind === 'more') - (b.kind === 'more') || a.bary - b.bary || a.order - b.order);
      number(column);
    };
    const count = () => {
      let total = 0;
      for (let level = low; level < high; level++) {
        const pairs = [];
        for (const node of levels.get(level) || []) {
          for (const other of node.level < 0 ? node.inner : node.outer) {
            if (other.level === level + 1) pairs.push([node.order, other.order]);
          }
        }
        total += crossings(pairs);
      }
      return total;
    };
    for (const column of levels.values()) number(column);
    let best = count();
    let kept = new Map([...levels].map(([level, column]) => [level, column.slice()]));
    for (let sweep = 0; sweep < SWEEPS && best > 0; sweep++) {
      for (let level = 1; level <= high; level++) sortBy(level, 'inner');
      for (let level = -1; level >= low; level--) sortBy(level, 'inner');
      for (let level = high - 1; level >= 1; level--) sortBy(level, 'outer');
      for (let level = low + 1; level <= -1; level++) sortBy(level, 'outer');
      const now = count();
      if (now < best) {
        best = now;
        kept = new Map([...levels].map(([level, column]) => [level, column.slice()]));
      }
    }
    for (const [level, column] of kept) {
      levels.set(level, column);
      number(column);
    }
  }

  /** Sets the centre height `cy` of every box: near its neighbours, never overlapping. */
  function placeHeights(levels, low, high) {
    const mean = (list, fallback) => list.length === 0 ? fallback
      : list.reduce((sum, node) => sum + node.cy, 0) / list.length;
    const place = (level, side) => {
      const column = levels.get(level);
      if (!column) return;
      let previous = null;
      for (const node of column) {
        const near = side === 'both' ? node.inner.concat(node.outer) : node[side];
        node.want = mean(near, previous === null ? 0 : previous.want + previous.h + GAP_Y);
        previous = node;
      }
      placeColumn(column);
    };
    for (const node of levels.get(0)) node.cy = 0;
    const outwards = (side) => {
      for (let level = 1; level <= high; level++) place(level, side);
      for (let level = -1; level >= low; level--) place(level, side);
    };
    outwards('inner');
    // Back in: each box between its neighbours on both sides; the middle box at the
    // mean of its neighbours; then out again from there.
    for (let level = high - 1; level >= 1; level--) place(level, 'both');
    for (let level = low + 1; level <= -1; level++) place(level, 'both');
    for (const node of levels.get(0)) node.cy = mean(node.inner.concat(node.outer), 0);
    outwards('inner');
  }

  // ---- Drawing --------------------------------------------------------------

  /** The point at `t` of the cubic curve p0, c1, c2, p3. */
  function curvePoint(p, t) {
    const s = 1 - t;
    return [0, 1].map((i) =>
      s * s * s * p[0][i] + 3 * s * s * t * p[1][i] + 3 * s * t * t * p[2][i] + t * t * t * p[3][i]);
  }

  function round(value) {
    return Math.round(value * 10) / 10;
  }

  /** The four points of the curve of `edge`. */
  function edgeCurve(a, b) {
    if (a === b) {
      // A function that calls itself: a loop from its top to its right side.
      const sx = a.x + a.w - 12;
      const ex = a.x + a.w;
      return [[sx, a.y], [sx + 6, a.y - 26], [ex + 26, a.cy - 6], [ex, a.cy]];
    }
    if (b.level === a.level + 1) {
      const from = [a.x + a.w, a.cy];
      const to = [b.x, b.cy];
      const bend = (to[0] - from[0]) / 2;
      return [from, [from[0] + bend, from[1]], [to[0] - bend, to[1]], to];
    }
    if (b.level === a.level) {
      // Within a column: out on its outer side and back.
      const right = a.level >= 0;
      const from = [right ? a.x + a.w : a.x, a.cy];
      const to = [right ? b.x + b.w : b.x, b.cy];
      const bulge = (right ? 1 : -1) * (24 + Math.min(40, Math.abs(to[1] - from[1]) / 6));
      return [from, [from[0] + bulge, from[1]], [to[0] + bulge, to[1]], to];
    }
    if (b.level > a.level) {
      const from = [a.x + a.w, a.cy];
      const to = [b.x, b.cy];
      const bend = (to[0] - from[0]) / 3;
      return [from, [from[0] + bend, from[1]], [to[0] - bend, to[1]], to];
    }
    // Back towards the left: below both boxes, from bottom to bottom.
    const from = [a.x + a.w / 2, a.y + a.h];
    const to = [b.x + b.w / 2, b.y + b.h];
    const drop = 26 + Math.abs(from[0] - to[0]) / 8;
    const low = Math.max(from[1], to[1]) + drop;
    return [from, [from[0], low], [to[0], low], to];
  }

  /** The SVG element of the laid-out neighbourhood. */
  function draw(hood, unfold) {
    const root = svg('svg', {
      xmlns: SVG, width: hood.width, height: hood.height, viewBox: '0 0 ' + hood.width + ' ' + hood.height,
      'font-family': FONT_FAMILY, 'font-size': FONT_SIZE, class: 'graph',
    });
    const name = hood.graph.name(hood.nodes[0].record);
    root.setAttribute('role', 'group');
    root.setAttribute('aria-label', 'Callers and callees of ' + name);
    const defs = svg('defs', {});
    const marker = svg('marker', {
      id: 'qw-arrow', viewBox: '0 0 10 10', refX: 10, refY: 5, markerWidth: 7, markerHeight: 7,
      orient: 'auto-start-reverse', markerUnits: 'userSpaceOnUse',
    });
    marker.appendChild(svg('path', { d: 'M0,0 L10,5 L0,10 z', class: 'arrow' }));
    defs.appendChild(marker);
    root.appendChild(defs);
    const edges = svg('g', { class: 'edges' });
    const counts = svg('g', { class: 'counts' });
    const boxes = svg('g', { class: 'nodes' });
    for (const edge of hood.edges) {
      const a = hood.nodes[edge.from];
      const b = hood.nodes[edge.to];
      const p = edgeCurve(a, b);
      const forward = b.level === a.level + 1;
      const path = svg('path', {
        d: 'M' + p.map((point) => round(point[0]) + ',' + round(point[1])).join(' ').replace(' ', ' C'),
        class: 'edge' + (forward ? '' : ' other') + (edge.kind ? ' ' + edge.kind : ''),
        'marker-end': 'url(#qw-arrow)',
        'data-from': edge.from, 'data-to': edge.to,
      });
      edges.appendChild(path);
      if (edge.count > 1) {
        // Near the box farther from the middle, where the edges fan out.
        const at = curvePoint(p, Math.abs(a.level) > Math.abs(b.level) ? 0.2 : 0.8);
        const label = svg('text', { x: round(at[0]), y: round(at[1] - 4), class: 'count', 'text-anchor': 'middle' });
        label.textContent = '\u00d7' + edge.count;
        counts.appendChild(label);
      }
    }
    for (const node of hood.nodes) boxes.appendChild(drawBox(node, unfold));
    root.appendChild(edges);
    root.appendChild(counts);
    root.appendChild(boxes);
    return root;
  }

  function drawBox(node, unfold) {
    const kind = node.kind + (node.level === 0 ? ' center' : '');
    let box;
    if (node.href) {
      box = svg('a', { href: node.href, class: 'node ' + kind });
    } else {
      box = svg('g', { class: 'node ' + kind });
      if (node.kind === 'more') {
        box.setAttribute('role', 'button');
        box.setAttribute('tabindex', '0');
        box.addEventListener('click', () => unfold(node.level));
        box.addEventListener('keydown', (event) => {
          if (event.key !== 'Enter' && event.key !== ' ') return;
          event.preventDefault();
          unfold(node.level);
        });
      }
    }
    box.dataset.level = node.level;
    if (node.record !== undefined) box.dataset.record = node.record;
    if (node.other !== undefined) box.dataset.other = node.other;
    const title = svg('title', {});
    title.textContent = node.title;
    box.appendChild(title);
    box.appendChild(svg('rect', {
      x: round(node.x), y: round(node.y), width: node.w, height: node.h, rx: node.kind === 'macro' ? 9 : 3,
    }));
    const label = svg('text', { x: round(node.x + PAD_X), y: round(node.y + PAD_Y + LINE_HEIGHT - 3.5) });
    label.textContent = node.label;
    box.appendChild(label);
    if (node.sub) {
      const sub = svg('text', {
        x: round(node.x + PAD_X), y: round(node.y + PAD_Y + 2 * LINE_HEIGHT - 3.5), class: 'sub',
      });
      sub.textContent = node.sub;
      box.appendChild(sub);
    }
    return box;
  }

  /** Saves `element` (the drawn picture) as NAME.svg, links made plain groups. */
  function save(element, name) {
    const copy = element.cloneNode(true);
    for (const link of [...copy.querySelectorAll('a')]) {
      const group = svg('g', { class: link.getAttribute('class') });
      while (link.firstChild) group.appendChild(link.firstChild);
      link.replaceWith(group);
    }
    for (const more of copy.querySelectorAll('[tabindex]')) {
      more.removeAttribute('tabindex');
      more.removeAttribute('role');
    }
    const style = svg('style', {});
    style.textContent = SAVED_STYLE;
    copy.insertBefore(style, copy.firstChild);
    const text = '<?xml version="1.0" encoding="UTF-8"?>\n' + new XMLSerializer().serializeToString(copy) + '\n';
    const url = URL.createObjectURL(new Blob([text], { type: 'image/svg+xml' }));
    const link = Dom.el('a');
    link.href = url;
    link.download = name.replace(/[^A-Za-z0-9_.-]+/g, '_') + '.svg';
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 10000);
  }

  // ---- The section of the view ----------------------------------------------

  /**
   * The picture of `r` with its controls: `levels` {up, down} as the address
   * gives them; `onLevels(levels)` is told when the control changes them.
   */
  function section(graph, r, levels, onLevels) {
    const part = Dom.el('section', 'picture');
    const bar = Dom.el('div', 'picture-bar');
    const box = Dom.el('div', 'picture-box');
    const limits = new Map();
    let current = null;
    let hood = null;
    const choose = (label, key) => {
      const select = Dom.el('select');
      for (let n = 0; n <= MAX_LEVELS; n++) {
        const option = Dom.el('option', '', n === 0 ? 'none' : Dom.plural(n, 'level', 'levels'));
        option.value = String(n);
        select.appendChild(option);
      }
      select.value = String(levels[key]);
      select.addEventListener('change', () => {
        levels[key] = Number(select.value);
        limits.clear();
        redraw();
        onLevels(levels);
      });
      const wrap = Dom.el('label', '', label + ' ');
      wrap.appendChild(select);
      return wrap;
    };
    const saveButton = Dom.el('button', 'save', 'Save as SVG');
    saveButton.type = 'button';
    saveButton.addEventListener('click', () => save(current, graph.name(r)));
    Dom.add(bar, choose('Callers', 'up'), ' ', choose('Callees', 'down'), ' ', saveButton, ' ',
      Dom.el('span', 'legend muted', 'italic rounded: macro · dashed: not defined in these files · ' +
        'dotted: several definitions · ×N: calls made N times'));
    const redraw = () => {
      const start = performance.now();
      hood = new Neighbourhood(graph, r, levels.up, levels.down, limits);
      for (const node of hood.nodes) describe(graph, node, levels);
      layout(hood);
      const element = draw(hood, (level) => {
        limits.set(level, (limits.get(level) || FOLD) + UNFOLD);
        // From the keyboard, the focus stays on the level's "+N more" while there is one.
        const keyboard = box.contains(document.activeElement);
        redraw();
        const more = box.querySelector('.more[data-level="' + level + '"]');
        if (more && keyboard) more.focus({ preventScroll: true });
      });
      if (current) current.replaceWith(element);
      else box.appendChild(element);
      current = element;
      const html = document.documentElement;
      html.dataset.pictureMs = (performance.now() - start).toFixed(1);
      html.dataset.pictureNodes = String(hood.nodes.length);
    };
    redraw();
    part.qwRedraw = redraw;
    part.appendChild(bar);
    part.appendChild(box);
    // Once on the screen: the function in the middle of the box, when it does not fit.
    requestAnimationFrame(() => {
      const center = hood.center;
      box.scrollLeft = center.x + center.w / 2 - box.clientWidth / 2;
      box.scrollTop = center.y + center.h / 2 - box.clientHeight / 2;
    });
    return part;
  }

  return { section, Neighbourhood, layout, MAX_LEVELS, FOLD, UNFOLD };
})();
