// Pinmark's document script. It runs in an isolated world of the top-level document only, so
// the page's own scripts see neither it nor the channel to the program. It reports what the
// user does in the page, numbered with the document's generation, and while the program
// listens it cancels the default action of every click.
(function () {
    'use strict';

    var bridge = null;
    var generation = 0; // the program's number for this document; 0 until it has answered
    var bound = false;
    var waiting = []; // reports made before the number was known, in order
    var pageReported = false;

    function send(report) {
        if (generation)
            report();
        else
            waiting.push(report);
    }

    function text(value) {
        return typeof value === 'string' ? value : '';
    }

    function absolute(address) {
        try {
            return new URL(address, document.baseURI).href;
        } catch (e) {
            return text(address);
        }
    }

    // The innermost element the event reached, as plain texts.
    function snapshot(event) {
        var element = event.target;
        if (element && element.nodeType === Node.TEXT_NODE)
            element = element.parentElement;
        var s = { tagName: '', id: '', title: '', src: '', href: '' };
        if (!element || element.nodeType !== Node.ELEMENT_NODE)
            return s;
        s.tagName = text(element.tagName);
        s.id = text(element.id);
        s.title = typeof element.title === 'string' ? element.title
                                                    : text(element.getAttribute('title'));
        var tag = s.tagName.toUpperCase();
        if (tag === 'IMG')
            s.src = text(element.currentSrc) || text(element.src); // what <picture>/srcset show
        else if (tag === 'A')
            s.href = typeof element.href === 'string'
                ? element.href
                : absolute(element.getAttribute('href') || '');   // an SVG link
        return s;
    }

    function pointerListener(method, isClick) {
        return function (event) {
            // Made by a page script (element.click(), dispatchEvent): not the user's.
            if (!event.isTrusted) {
                event.preventDefault();
                event.stopImmediatePropagation();
                return;
            }
            if (isClick && bound)
                event.preventDefault();
            var s = snapshot(event);
            var buttons = event.buttons;
            send(function () {
                bridge[method](generation, s.tagName, s.id, s.title, s.src, s.href, buttons);
            });
        };
    }

    function reportReadyState() {
        var state = document.readyState;
        send(function () { bridge.readyStateChanged(generation, state); });
    }

    function reportPage() {
        if (pageReported)
            return;
        pageReported = true;
        var address = location.href;
        send(function () { bridge.pageLoaded(generation, address); });
    }

    // A middle click (or any other button's) can follow a link too: cancelled like a click,
    // but not reported, since only clicks select.
    function auxClickListener(event) {
        if (!event.isTrusted) {
            event.preventDefault();
            event.stopImmediatePropagation();
            return;
        }
        if (bound)
            event.preventDefault();
    }

    // Leaving a page never asks: the page's own handlers do not get the chance to.
    function beforeUnloadListener(event) {
        event.stopImmediatePropagation();
    }

    function readyStateListener(event) {
        if (event.isTrusted)
            reportReadyState();
    }

    function pageLoadListener(event) {
        if (event.isTrusted && event.target === document)
            reportPage();
    }

    // Load events of elements do not reach the window; a frame's is caught on its way down.
    function frameLoadListener(event) {
        var element = event.target;
        if (!event.isTrusted || !element || element.nodeType !== Node.ELEMENT_NODE)
            return;
        var tag = element.tagName.toUpperCase();
        if (tag !== 'IFRAME' && tag !== 'FRAME')
            return;
        var address = text(element.src);
        send(function () { bridge.frameLoaded(generation, address); });
    }

    function isTextField(element) {
        if (!element || element.nodeType !== Node.ELEMENT_NODE)
            return false;
        var tag = element.tagName.toUpperCase();
        return element.isContentEditable || tag === 'INPUT' || tag === 'TEXTAREA' ||
               tag === 'SELECT';
    }

    // Backspace outside a text field goes back, as in a browser. Heard last (the window, not
    // capturing), so that a page that uses the key itself keeps it.
    function backKeyListener(event) {
        if (!event.isTrusted || event.defaultPrevented || event.key !== 'Backspace' ||
            event.altKey || event.ctrlKey || event.metaKey || event.shiftKey ||
            isTextField(event.target))
            return;
        send(function () { bridge.backKeyPressed(generation); });
    }

    var clickListener = pointerListener('clicked', true);
    var mouseDownListener = pointerListener('mouseDown', false);

    // The window comes first in the capture path, before any listener of the page. Adding a
    // listener that is already there changes nothing, so this can run again at any time.
    function listen() {
        window.addEventListener('click', clickListener, true);
        window.addEventListener('auxclick', auxClickListener, true);
        window.addEventListener('mousedown', mouseDownListener, true);
        window.addEventListener('beforeunload', beforeUnloadListener, true);
        window.addEventListener('load', pageLoadListener);
        window.addEventListener('keydown', backKeyListener);
        document.addEventListener('readystatechange', readyStateListener, true);
        document.addEventListener('load', frameLoadListener, true);
    }

    listen();

    // document.open() erases every listener of the document and its window. It also empties the
    // document, which an observer (not a listener, so it stays) sees: the listeners come back
    // before the rewritten page can be clicked, and the badge learns the new ready state.
    new MutationObserver(function () {
        listen();
        reportReadyState();
    }).observe(document, { childList: true });

    // Called by the program when the engine says the load has ended: a page whose load event
    // never came is reported now. Answers what was known before.
    window.pinmarkLoadEnded = function () {
        var answer = { generation: generation, reported: pageReported, address: location.href };
        reportPage();
        return answer;
    };

    reportReadyState();

    new QWebChannel(qt.webChannelTransport, function (channel) {
        bridge = channel.objects.pinmark;
        bridge.boundChanged.connect(function (number, isBound) {
            if (number === generation)
                bound = isBound;
        });
        bridge.beginDocument(location.href, function (number) {
            if (typeof number !== 'number' || number < 1)
                return; // refused: this document stays silent
            generation = number;
            var reports = waiting;
            waiting = [];
            reports.forEach(function (report) { report(); });
        });
    });
})();
