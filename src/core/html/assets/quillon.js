// The search box of every page: finds files, routines and declared names by any part of their
// name, as the reader types. The index is a script of its own, loaded the first time the box is
// used, so a page opens without it; it works from the disk with no server.
(function () {
  "use strict";
  // The pictures of calls wait in the page's graph script until one is opened.
  var graphScript = document.body.getAttribute("data-graphs");
  var graphsLoaded = false;
  var graphsLoading = false;
  function showGraph(holder) {
    var id = holder.getAttribute("data-graph");
    var svg = window.quillonGraphs && window.quillonGraphs[id];
    if (svg && !holder.querySelector("svg")) {
      var picture = document.createElement("div");
      picture.innerHTML = svg;
      holder.appendChild(picture);
    }
  }
  function showOpenGraphs() {
    document.querySelectorAll("details[data-graph][open], figure[data-graph]").forEach(showGraph);
  }
  function loadGraphs() {
    if (graphsLoaded) { showOpenGraphs(); return; }
    if (graphsLoading || !graphScript) return;
    graphsLoading = true;
    var script = document.createElement("script");
    script.src = graphScript;
    script.onload = function () { graphsLoaded = true; showOpenGraphs(); };
    document.head.appendChild(script);
  }
  document.querySelectorAll("details[data-graph]").forEach(function (details) {
    details.addEventListener("toggle", function () { if (details.open) loadGraphs(); });
  });
  // A picture that is the page's subject is drawn at once.
  if (document.querySelector("figure[data-graph]")) loadGraphs();

  var input = document.getElementById("search");
  var list = document.getElementById("search-results");
  if (!input || !list) return;
  var entries = null; // [name, kind, file, href, lower-cased name]
  var loading = false;
  var waiting = false;
  var shown = [];
  var active = -1;
  var maxShown = 50;

  function load() {
    if (entries || loading) return;
    loading = true;
    var script = document.createElement("script");
    script.src = "assets/search-index.js";
    script.onload = function () {
      var raw = window.quillonSearchIndex || [];
      entries = raw.map(function (e) { return [e[0], e[1], e[2], e[3], e[0].toLowerCase()]; });
      if (waiting) update();
    };
    script.onerror = function () {
      entries = [];
      list.hidden = false;
      list.textContent = "";
      var li = document.createElement("li");
      li.className = "none";
      li.textContent = "The search index could not be loaded.";
      list.appendChild(li);
    };
    document.head.appendChild(script);
  }

  // Names that start with the text first, then those that hold it; shorter names first in each.
  function find(text) {
    var starts = [];
    var holds = [];
    for (var i = 0; i < entries.length; i++) {
      var at = entries[i][4].indexOf(text);
      if (at === 0) starts.push(entries[i]);
      else if (at > 0) holds.push(entries[i]);
    }
    var byLength = function (a, b) { return a[0].length - b[0].length || (a[0] < b[0] ? -1 : a[0] > b[0] ? 1 : 0); };
    starts.sort(byLength);
    if (starts.length < maxShown) holds.sort(byLength);
    return starts.concat(holds).slice(0, maxShown);
  }

  function select(i) {
    var items = list.querySelectorAll("li");
    if (active >= 0 && items[active]) items[active].classList.remove("active");
    active = i;
    if (active >= 0 && items[active]) {
      items[active].classList.add("active");
      items[active].scrollIntoView({ block: "nearest" });
    }
  }

  function update() {
    var text = input.value.trim().toLowerCase();
    if (!text) { list.hidden = true; list.textContent = ""; shown = []; return; }
    if (!entries) { waiting = true; load(); return; }
    shown = find(text);
    list.textContent = "";
    active = -1;
    if (!shown.length) {
      var none = document.createElement("li");
      none.className = "none";
      none.textContent = "Nothing found";
      list.appendChild(none);
    }
    shown.forEach(function (e) {
      var li = document.createElement("li");
      var a = document.createElement("a");
      a.href = e[3];
      a.textContent = e[0];
      var what = document.createElement("span");
      what.className = "what";
      what.textContent = e[1] + (e[2] ? " \u00b7 " + e[2] : "");
      li.appendChild(a);
      li.appendChild(what);
      list.appendChild(li);
    });
    list.hidden = false;
  }

  input.addEventListener("focus", load);
  input.addEventListener("input", update);
  input.addEventListener("keydown", function (event) {
    if (event.key === "ArrowDown" && shown.length) { select(Math.min(active + 1, shown.length - 1)); event.preventDefault(); }
    else if (event.key === "ArrowUp" && shown.length) { select(Math.max(active - 1, 0)); event.preventDefault(); }
    else if (event.key === "Enter" && shown.length) { window.location.href = shown[Math.max(active, 0)][3]; event.preventDefault(); }
    else if (event.key === "Escape") { list.hidden = true; }
  });
  document.addEventListener("click", function (event) {
    if (!list.contains(event.target) && event.target !== input) list.hidden = true;
  });
})();
