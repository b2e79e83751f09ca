// Shows the test rows that match the filter a page at a time: a run of
// 100,000 tests must not become 100,000 rows before the reader sees anything.
// Every text from the run goes in as text (textContent), never as markup.
"use strict";
(function () {
    var PAGE = 200;
    var VERDICTS = ["passed", "failed", "error"];
    var data = JSON.parse(document.getElementById("zor-data").textContent);
    var nameBox = document.getElementById("filter-name");
    var verdictBox = document.getElementById("filter-verdict");
    var countBox = document.getElementById("filter-count");
    var sections = [];

    function matches(test, name, verdict) {
        var word = VERDICTS[test[3]];
        if (verdict === "problem" ? word === "passed" : verdict && word !== verdict) return false;
        return !name || test[0].toLowerCase().indexOf(name) >= 0;
    }

    function cell(row, text, className) {
        var td = document.createElement("td");
        td.textContent = text;
        if (className) td.className = className;
        row.appendChild(td);
        return td;
    }

    function duration(micros) {
        return micros < 0 ? "\u2013" : (micros / 1e6).toFixed(3) + " s";
    }

    // A failure written out above is linked; any other one shows its details here.
    function details(script, index, id) {
        var more = data.scripts[script].details[index];
        if (!more) return null;
        var box = document.createElement("details");
        var summary = document.createElement("summary");
        summary.textContent = "expected against actual";
        box.appendChild(summary);
        if (more[0].length) {
            var table = document.createElement("table");
            table.className = "entries";
            var head = table.insertRow();
            cell(head, "expected");
            cell(head, "actual");
            more[0].forEach(function (entry) {
                var row = table.insertRow();
                cell(row, entry[0], "expected");
                cell(row, entry[1], "actual");
            });
            box.appendChild(table);
        }
        if (more[1]) {
            var pre = document.createElement("pre");
            pre.className = "report";
            pre.textContent = more[1];
            box.appendChild(pre);
        }
        return box;
    }

    function row(script, index) {
        var test = data.scripts[script].tests[index];
        var id = "script-" + (script + 1) + "-test-" + (index + 1);
        var tr = document.createElement("tr");
        cell(tr, String(index + 1), "number");
        var nameCell = cell(tr, "");
        var written = test[3] !== 0 && document.getElementById(id);
        if (written) {
            var link = document.createElement("a");
            link.href = "#" + id;
            link.textContent = test[0];
            nameCell.appendChild(link);
        } else {
            tr.id = id;
            nameCell.textContent = test[0];
            if (test[3] !== 0) {
                var box = details(script, index);
                if (box) nameCell.appendChild(box);
            }
        }
        cell(tr, test[1] < 0 ? "" : String(test[1]), "number");
        cell(tr, test[2] < 0 ? "" : data.scripts[script].path + ":" + test[2], "place");
        var verdict = cell(tr, "");
        var badge = document.createElement("span");
        badge.className = "verdict " + VERDICTS[test[3]];
        badge.textContent = VERDICTS[test[3]];
        verdict.appendChild(badge);
        cell(tr, duration(test[4]), "duration");
        return tr;
    }

    function showSection(section) {
        var body = section.table.tBodies[0];
        var fragment = document.createDocumentFragment();
        var end = Math.min(section.shown, section.matching.length);
        for (var i = body.rows.length; i < end; ++i) fragment.appendChild(row(section.index, section.matching[i]));
        body.appendChild(fragment);
        section.table.hidden = section.matching.length === 0;
        var left = section.matching.length - end;
        section.more.hidden = left === 0;
        section.more.textContent = "Show " + Math.min(left, PAGE) + " more (" + left + " not shown)";
    }

    function applyFilter() {
        var name = nameBox.value.trim().toLowerCase();
        var verdict = verdictBox.value;
        var total = 0;
        sections.forEach(function (section) {
            var tests = data.scripts[section.index].tests;
            section.matching = [];
            for (var i = 0; i < tests.length; ++i) if (matches(tests[i], name, verdict)) section.matching.push(i);
            section.shown = PAGE;
            section.table.tBodies[0].textContent = "";
            showSection(section);
            total += section.matching.length;
        });
        document.querySelectorAll("details.failure").forEach(function (failure) {
            var test = [failure.getAttribute("data-name"), 0, 0, VERDICTS.indexOf(failure.getAttribute("data-verdict"))];
            failure.hidden = !matches(test, name, verdict);
        });
        countBox.textContent = total + " tests match";
    }

    // "#filter=failed&name=login" sets the filter; "#script-2-test-17" shows that test.
    function decoded(text) {
        try {
            return decodeURIComponent(text);
        } catch (malformed) {
            return text;
        }
    }

    function followHash() {
        var hash = location.hash.slice(1);
        if (hash.indexOf("filter=") === 0 || hash.indexOf("name=") === 0) {
            hash.split("&").forEach(function (pair) {
                var at = pair.indexOf("=");
                var key = pair.slice(0, at), value = decoded(pair.slice(at + 1));
                if (key === "filter") verdictBox.value = value;
                if (key === "name") nameBox.value = value;
            });
            applyFilter();
            return;
        }
        var found = /^script-(\d+)-test-(\d+)$/.exec(hash);
        if (!found) return;
        var target = document.getElementById(hash) || showTest(Number(found[1]) - 1, Number(found[2]) - 1);
        if (!target || target.tagName !== "TR") return;
        document.querySelectorAll("tr.target").forEach(function (old) { old.className = ""; });
        target.className = "target";
        target.scrollIntoView();
    }

    // Renders the rows down to a test not shown yet, clearing a filter that hides it.
    function showTest(script, index) {
        var section = sections[script];
        if (!section || index < 0 || index >= data.scripts[script].tests.length) return null;
        var at = section.matching.indexOf(index);
        if (at < 0) {
            nameBox.value = "";
            verdictBox.value = "";
            applyFilter();
            at = index;
        }
        section.shown = Math.max(section.shown, at + 1);
        showSection(section);
        return document.getElementById("script-" + (script + 1) + "-test-" + (index + 1));
    }

    document.querySelectorAll("section.script").forEach(function (element, index) {
        var section = {index: index, table: element.querySelector("table.tests"),
                       more: element.querySelector("button.more"), matching: [], shown: PAGE};
        section.more.addEventListener("click", function () {
            section.shown += PAGE;
            showSection(section);
        });
        sections.push(section);
    });
    document.getElementById("filter").hidden = false;
    document.getElementById("filter").addEventListener("submit", function (event) { event.preventDefault(); });
    nameBox.addEventListener("input", applyFilter);
    verdictBox.addEventListener("change", applyFilter);
    window.addEventListener("hashchange", followHash);
    applyFilter();
    followHash();
    document.body.setAttribute("data-ready-ms", String(Math.round(performance.now())));
})();
