// The call graph of the page, decoded from the data block that quenwick-graph
// writes (its format is described in the manual page, "THE PAGE").
/* exported Graph */
const Graph = (() => {
  'use strict';

  // Number digits: the last digit of each number is one of LAST, every other one of
  // MORE; each digit holds 5 bits, most significant first.
  const LAST = '0123456789ABCDEFGHIJKLMNOPQRSTUV';
  const MORE = 'WXYZabcdefghijklmnopqrstuvwxyz-_';
  const DIGIT = new Int8Array(128).fill(-1);
  for (let i = 0; i < 32; i++) {
    DIGIT[LAST.charCodeAt(i)] = i;
    DIGIT[MORE.charCodeAt(i)] = 32 + i;
  }

  /** The numbers of an encoded list, as a typed array (every number of the data is below 2^31). */
  function decodeNumbers(text) {
    let total = 0;
    for (let i = 0; i < text.length; i++) {
      if (DIGIT[text.charCodeAt(i) & 127] < 32) total++;
    }
    const values = new Int32Array(total);
    let count = 0;
    let value = 0;
    for (let i = 0; i < text.length; i++) {
      const code = text.charCodeAt(i);
      const digit = code < 128 ? DIGIT[code] : -1;
      if (digit < 0) throw new Error('bad number digit at ' + i);
      if (digit >= 32) {
        value = value * 32 + (digit - 32);
      } else {
        values[count++] = value * 32 + digit;
        value = 0;
      }
    }
    return values.subarray(0, count);
  }

  /** 0, 1, 2, 3, 4... back to 0, -1, 1, -2, 2... */
  function unzigzag(value) {
    return value % 2 === 0 ? value / 2 : -(value + 1) / 2;
  }

  function splitNames(text) {
    return text === '' ? [] : text.split('\n');
  }

  /** Call kinds. */
  const DEFINED = 0;
  const UNDEFINED = 1;
  const SEVERAL = 2;

  class CallGraph {
    constructor(data) {
      if (!data || data.format !== 2) throw new Error('this page holds no call graph');
      this.generator = data.generator;
      this.query = data.query;
      this.markers = data.markers;
      this.repeatMarked = data.repeatMarked;
      // The names stay one text; name(r) cuts one out when it is asked for.
      this.nameText = data.names;
      this.otherNames = splitNames(data.otherNames);
      this.files = data.files;
      this.link = data.link;
      this.folder = data.folder;
      this.folderPath = data.folderPath;
      this.backslashes = data.separators.indexOf('\\') >= 0;
      const n = this.nameText === '' ? 0 : this.countLines(this.nameText);
      this.size = n;
      this.nameStart = new Int32Array(n + 1);
      for (let r = 0, at = 0; r < n; r++) {
        this.nameStart[r] = at;
        const end = this.nameText.indexOf('\n', at);
        at = end < 0 ? this.nameText.length + 1 : end + 1;
      }
      this.nameStart[n] = this.nameText.length + 1;
      this.decodeFiles(data.fileRuns);
      this.decodeLines(data.lines);
      this.column = data.columns === '' ? null : Int32Array.from(decodeNumbers(data.columns));
      this.macro = this.marked(data.macros);
      this.isStatic = this.marked(data.statics);
      this.repeated = this.marked(data.repeated);
      this.decodeMorePlaces(data.morePlaces);
      this.decodeCaptions(data.captioned, data.captions);
      this.decodeCalls(data.calls);
      this.decodeOtherSets(data.otherSets);
      // The places of the calls come later, from the end of the page (see useSites).
      this.hasSites = false;
      this.siteText = '';
      this.siteCache = new Map();
      this.rootText = data.roots; // made an array on first use: there may be many
      this.callerRoots = Array.from(decodeNumbers(data.callerRoots));
      this.leaf = this.marked(data.leaves);
      this.callerStart = null; // made on first use
      this.byName = null; // likewise
    }

    /** The roots of the trees of the query (of the whole tree without one). */
    get roots() {
      if (this.rootList === undefined) this.rootList = Array.from(decodeNumbers(this.rootText));
      return this.rootList;
    }

    /** The number of lines of a text of names joined by line feeds. */
    countLines(text) {
      let count = 1;
      for (let at = text.indexOf('\n'); at >= 0; at = text.indexOf('\n', at + 1)) count++;
      return count;
    }

    /** The name of the record `r`. */
    name(r) {
      return this.nameText.slice(this.nameStart[r], this.nameStart[r + 1] - 1);
    }

    /** One flag per record, set for the records of a list of differences. */
    marked(text) {
      const flags = new Uint8Array(this.size);
      let at = 0;
      for (const step of decodeNumbers(text)) flags[at += step] = 1;
      return flags;
    }

    /** The other places of the records that have some, as a map from the record. */
    decodeMorePlaces(text) {
      this.morePlaces = new Map();
      const numbers = decodeNumbers(text);
      let r = 0;
      for (let i = 0; i < numbers.length;) {
        r += numbers[i++];
        const count = numbers[i++];
        const places = [];
        for (let j = 0; j < count; j++, i += 2) {
          places.push({ line: this.line[r] + unzigzag(numbers[i]), column: numbers[i + 1] });
        }
        this.morePlaces.set(r, places);
      }
    }

    /** For each place of otherNames, the candidate definitions in this page. */
    decodeOtherSets(text) {
      const numbers = decodeNumbers(text);
      this.otherSets = [];
      for (let i = 0; i < numbers.length;) {
        const count = numbers[i++];
        const set = [];
        let r = 0;
        for (let j = 0; j < count; j++) {
          r += numbers[i++];
          set.push(r);
        }
        this.otherSets.push(set);
      }
    }

    /** Takes the places of the calls: the data of the element "graph-sites". */
    useSites(data) {
      this.siteText = data.sites; // read record by record, see readSites
      this.siteBlock = data.siteBlock;
      this.siteBlocks = [];
      let offset = 0;
      for (const step of decodeNumbers(data.siteBlocks)) this.siteBlocks.push(offset += step);
      this.siteCache = new Map();
      this.hasSites = data.sites !== '';
    }

    // Where each call of `r` is made, as the manual's THE PAGE says: the count and
    // the places of each call, or null when none is known. The text is long (about
    // as long as all the calls), so a record is read when it is first asked for:
    // from the start of its block of records, past the records before it.
    readSites(r) {
      if (!this.hasSites) return null;
      const known = this.siteCache.get(r);
      if (known !== undefined) return known;
      const text = this.siteText;
      let at = this.siteBlocks[Math.floor(r / this.siteBlock)];
      const next = () => {
        let value = 0;
        for (;;) {
          const code = text.charCodeAt(at++);
          const digit = code < 128 ? DIGIT[code] : -1;
          if (digit < 0) throw new Error('bad number digit at ' + (at - 1));
          if (digit < 32) return value * 32 + digit;
          value = value * 32 + (digit - 32);
        }
      };
      for (let q = r - (r % this.siteBlock); q < r; q++) {
        const places = next();
        // Past the counts of its calls and two numbers for each place.
        for (let left = places > 0 ? this.callCount(q) + 2 * places : 0; left > 0 && at < text.length; at++) {
          const code = text.charCodeAt(at);
          if (code < 128 && DIGIT[code] >= 0 && DIGIT[code] < 32) left--;
        }
      }
      const places = next();
      let found = null;
      if (places > 0) {
        const calls = this.callCount(r);
        found = { start: new Int32Array(calls + 1), line: new Int32Array(places), column: new Int32Array(places) };
        let k = 0;
        for (let c = 0; c < calls; c++) {
          found.start[c] = k;
          const count = next();
          let line = this.line[r];
          for (let j = 0; j < count; j++, k++) {
            line += unzigzag(next());
            found.line[k] = line;
            found.column[k] = next();
          }
        }
        found.start[calls] = k;
      }
      this.siteCache.set(r, found);
      return found;
    }

    /** The number of places known of the call `k` of `r` (0 when none is known). */
    siteCount(r, k) {
      const sites = this.readSites(r);
      const c = k - this.callStart[r];
      return sites ? sites.start[c + 1] - sites.start[c] : 0;
    }

    /** The places of the call `k` of `r`: [{line, column}] in source order. */
    sites(r, k) {
      const sites = this.readSites(r);
      const places = [];
      const c = k - this.callStart[r];
      for (let i = sites ? sites.start[c] : 0; sites && i < sites.start[c + 1]; i++) {
        places.push({ line: sites.line[i], column: sites.column[i] });
      }
      return places;
    }

    /** The call of `caller` that resolves to `callee` alone, or -1. */
    callTo(caller, callee) {
      for (let k = this.callStart[caller]; k < this.callStart[caller + 1]; k++) {
        if (this.callKind[k] === DEFINED && this.callTarget[k] === callee) return k;
      }
      return -1;
    }

    decodeFiles(text) {
      const runs = decodeNumbers(text);
      this.fileOf = new Int32Array(this.size);
      let at = 0;
      for (let i = 0; i + 1 < runs.length; i += 2) {
        this.fileOf.fill(runs[i], at, at + runs[i + 1]);
        at += runs[i + 1];
      }
    }

    decodeLines(text) {
      const steps = decodeNumbers(text);
      this.line = new Int32Array(this.size);
      let line = 0;
      for (let i = 0; i < this.size; i++) {
        line += unzigzag(steps[i]);
        this.line[i] = line;
      }
    }

    decodeCaptions(steps, texts) {
      this.captions = new Map();
      let at = 0;
      decodeNumbers(steps).forEach((step, i) => {
        at += step;
        this.captions.set(at, texts[i]);
      });
    }

    // Each record: its number of calls, then the calls, coded as the manual's THE PAGE says.
    decodeCalls(text) {
      const n = this.size;
      let numbers = 0;
      for (let i = 0; i < text.length; i++) {
        const code = text.charCodeAt(i);
        if (code < 128 && DIGIT[code] >= 0 && DIGIT[code] < 32) numbers++;
      }
      const total = numbers - n;
      const start = new Int32Array(n + 1);
      const targets = new Int32Array(Math.max(0, total));
      const kinds = new Uint8Array(Math.max(0, total));
      let value = 0;
      let r = -1;
      let left = 0; // calls of record r still to read
      let k = 0;
      for (let i = 0; i < text.length; i++) {
        const c = text.charCodeAt(i);
        const digit = c < 128 ? DIGIT[c] : -1;
        if (digit < 0) throw new Error('bad number digit at ' + i);
        if (digit >= 32) {
          value = value * 32 + (digit - 32);
          continue;
        }
        const code = value * 32 + digit;
        value = 0;
        if (left === 0) {
          // The next record's number of calls (records without calls included).
          start[++r] = k;
          left = code;
          continue;
        }
        left--;
        if ((code & 1) === 0) {
          const step = code >> 1;
          targets[k] = r + ((step >>> 1) ^ -(step & 1)); // the signed difference
          kinds[k] = DEFINED;
        } else {
          targets[k] = code >> 2;
          kinds[k] = (code & 3) === 1 ? UNDEFINED : SEVERAL;
        }
        k++;
      }
      for (r++; r <= n; r++) start[r] = k;
      this.callStart = start;
      this.callTarget = targets;
      this.callKind = kinds;
    }

    /** The callers of every record, in table order: the transpose of the resolved calls. */
    makeCallers() {
      const n = this.size;
      const start = new Int32Array(n + 1);
      for (let k = 0; k < this.callTarget.length; k++) {
        if (this.callKind[k] === DEFINED) start[this.callTarget[k] + 1]++;
      }
      for (let r = 0; r < n; r++) start[r + 1] += start[r];
      const fill = start.slice(0, n);
      const list = new Int32Array(start[n]);
      for (let r = 0; r < n; r++) {
        for (let k = this.callStart[r]; k < this.callStart[r + 1]; k++) {
          if (this.callKind[k] === DEFINED) list[fill[this.callTarget[k]]++] = r;
        }
      }
      this.callerStart = start;
      this.callerList = list;
    }

    /** The records that call `r` (resolved to it alone), in table order. */
    callers(r) {
      if (!this.callerStart) this.makeCallers();
      return this.callerList.subarray(this.callerStart[r], this.callerStart[r + 1]);
    }

    /** The number of calls of `r` (to records, to names without or with several definitions). */
    callCount(r) {
      return this.callStart[r + 1] - this.callStart[r];
    }

    /**
     * The records with the name `name`, in table order. Only the names defined more
     * than once are indexed; any other is found by a scan of the names.
     */
    definitions(name) {
      if (!this.byName) {
        this.byName = new Map();
        for (let r = 0; r < this.size; r++) {
          if (!this.repeated[r]) continue;
          const list = this.byName.get(this.name(r));
          if (list) list.push(r);
          else this.byName.set(this.name(r), [r]);
        }
      }
      const several = this.byName.get(name);
      if (several) return several;
      if (name.indexOf('\n') >= 0) return [];
      if (this.wrappedNames === undefined) this.wrappedNames = '\n' + this.nameText + '\n';
      const at = this.wrappedNames.indexOf('\n' + name + '\n');
      return at < 0 ? [] : [this.recordAt(at)];
    }

    /** The record whose name starts at `at` of the text of all names. */
    recordAt(at) {
      let low = 0;
      let high = this.size - 1;
      while (low < high) {
        const middle = (low + high + 1) >> 1;
        if (this.nameStart[middle] <= at) low = middle;
        else high = middle - 1;
      }
      return low;
    }

    /** The file of `r` as it was given to quenwick-graph (as in #fn=NAME@FILE). */
    fileName(r) {
      return this.files[this.fileOf[r]];
    }

    /** The column of the name of `r`; 0 when it is not known. */
    columnOf(r) {
      return this.column ? this.column[r] : 0;
    }

    caption(r) {
      return this.captions.get(r) || '';
    }
  }

  return { CallGraph, decodeNumbers, DEFINED, UNDEFINED, SEVERAL };
})();
