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

  /** The numbers of an encoded list, as a typed array. */
  function decodeNumbers(text) {
    let total = 0;
    for (let i = 0; i < text.length; i++) {
      if (DIGIT[text.charCodeAt(i) & 127] < 32) total++;
    }
    const values = new Float64Array(total);
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
      if (!data || data.format !== 1) throw new Error('this page holds no call graph');
      this.generator = data.generator;
      this.query = data.query;
      this.markers = data.markers;
      this.repeatMarked = data.repeatMarked;
      this.names = splitNames(data.names);
      this.otherNames = splitNames(data.otherNames);
      this.files = data.files;
      const n = this.names.length;
      this.size = n;
      this.decodeFiles(data.fileRuns);
      this.decodeLines(data.lines);
      this.decodeCaptions(data.captioned, data.captions);
      this.decodeCalls(data.calls);
      this.roots = Array.from(decodeNumbers(data.roots));
      this.callerRoots = Array.from(decodeNumbers(data.callerRoots));
      this.leaf = new Uint8Array(n);
      let at = 0;
      for (const step of decodeNumbers(data.leaves)) {
        at += step;
        this.leaf[at] = 1;
      }
      this.callerStart = null; // made on first use
      this.byName = null; // likewise
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
      const codes = decodeNumbers(text);
      const n = this.size;
      const total = codes.length - n;
      this.callStart = new Int32Array(n + 1);
      this.callTarget = new Int32Array(total);
      this.callKind = new Uint8Array(total);
      let at = 0;
      let k = 0;
      for (let r = 0; r < n; r++) {
        this.callStart[r] = k;
        const count = codes[at++];
        for (let j = 0; j < count; j++, k++) {
          const code = codes[at++];
          if (code % 2 === 0) {
            this.callTarget[k] = r + unzigzag(code / 2);
            this.callKind[k] = DEFINED;
          } else {
            this.callTarget[k] = (code - (code % 4)) / 4;
            this.callKind[k] = code % 4 === 1 ? UNDEFINED : SEVERAL;
          }
        }
      }
      this.callStart[n] = k;
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

    /** The records with the name `name`, in table order. */
    definitions(name) {
      if (!this.byName) {
        this.byName = new Map();
        this.names.forEach((each, r) => {
          const list = this.byName.get(each);
          if (list) list.push(r);
          else this.byName.set(each, [r]);
        });
      }
      return this.byName.get(name) || [];
    }

    fileName(r) {
      return this.files[this.fileOf[r]];
    }

    caption(r) {
      return this.captions.get(r) || '';
    }
  }

  return { CallGraph, decodeNumbers, DEFINED, UNDEFINED, SEVERAL };
})();
