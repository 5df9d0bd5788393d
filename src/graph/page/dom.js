// Small helpers that build elements. Texts of the scanned sources only ever become
// text nodes: nothing here parses markup.
/* exported Dom */
const Dom = (() => {
  'use strict';

  /** A new element with an optional class and text. */
  function el(tag, className, text) {
    const node = document.createElement(tag);
    if (className) node.className = className;
    if (text !== undefined && text !== null && text !== '') node.textContent = String(text);
    return node;
  }

  /** A link to a view of the page. */
  function link(fragment, text, className) {
    const node = el('a', className, text);
    node.href = fragment;
    return node;
  }

  /** Appends children (elements or texts) to `parent` and returns it. */
  function add(parent, ...children) {
    for (const child of children) {
      if (child === null || child === undefined || child === '') continue;
      parent.appendChild(typeof child === 'string' ? document.createTextNode(child) : child);
    }
    return parent;
  }

  /** Removes every child of `node`. */
  function clear(node) {
    while (node.firstChild) node.removeChild(node.firstChild);
  }

  /** A number with thousands separators. */
  function count(value) {
    return value.toLocaleString('en-US');
  }

  /** "1 caller", "2 callers". */
  function plural(value, one, many) {
    return count(value) + ' ' + (value === 1 ? one : many);
  }

  return { el, link, add, clear, count, plural };
})();
