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
        return describe(event.target);
    }

    function describe(element) {
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

    // ---- The keyboard ------------------------------------------------------------------------
    // Every picture can be reached with Tab and the arrow keys, and Enter or Space on it is a
    // click on it. The page's markup stays as it is: with the engine's spatial navigation on, an
    // element that has a click listener of its own can take the focus, so each picture gets an
    // empty one here. A picture that is all a link shows is reached as that link. Nothing of it
    // runs while the page loads: the pictures are made reachable when the keyboard first moves
    // in the page, and those that come later as they come.

    function isElement(node) {
        return !!node && node.nodeType === Node.ELEMENT_NODE;
    }

    function isPicture(node) {
        return isElement(node) && text(node.tagName).toUpperCase() === 'IMG';
    }

    // A link with no words of its own around a picture: to the eye it is the picture.
    function pictureLinkOf(picture) {
        var link = picture.parentElement ? picture.parentElement.closest('a[href]') : null;
        return link && !link.textContent.trim() ? link : null;
    }

    // The picture a key on the focused element acts on, or null.
    function focusedPicture(element) {
        if (isPicture(element))
            return element;
        if (!isElement(element) || text(element.tagName).toUpperCase() !== 'A')
            return null;
        var picture = element.querySelector('img');
        return picture && pictureLinkOf(picture) === element ? picture : null;
    }

    function ignore() {}

    function makeReachable(picture) {
        if (!pictureLinkOf(picture))
            picture.addEventListener('click', ignore); // once: the same listener is not added twice
    }

    function makeReachableWithin(node) {
        if (isPicture(node)) {
            makeReachable(node);
        } else if (isElement(node) || (node && node.nodeType === Node.DOCUMENT_NODE)) {
            var pictures = node.getElementsByTagName('img');
            for (var i = 0; i < pictures.length; ++i)
                makeReachable(pictures[i]);
        }
    }

    var newPictures = new MutationObserver(function (records) {
        for (var r = 0; r < records.length; ++r) {
            var added = records[r].addedNodes;
            for (var i = 0; i < added.length; ++i)
                makeReachableWithin(added[i]);
        }
    });
    var picturesReachable = false;

    function makePicturesReachable() {
        if (picturesReachable)
            return;
        picturesReachable = true;
        makeReachableWithin(document);
        newPictures.observe(document, { childList: true, subtree: true });
    }

    // Before the engine moves the focus: a key that moves it, or the page getting the focus
    // (Tab and Shift+Tab into the page from the program's controls).
    var focusKeys = ['Tab', 'ArrowLeft', 'ArrowRight', 'ArrowUp', 'ArrowDown'];

    function focusKeyListener(event) {
        if (event.isTrusted && focusKeys.indexOf(event.key) >= 0)
            makePicturesReachable();
    }

    function pageFocusListener(event) {
        if (event.isTrusted && event.target === window)
            makePicturesReachable();
    }

    // The focused picture's ring, in the program's blue. Inside the picture, the engine's
    // two-tone ring (blue and white) shows on light and dark pictures alike and under a
    // container that clips; outside, where there is room, a light gap and a blue band. An
    // outline and a shadow move nothing. A page script can see this one sheet among the
    // document's adopted ones, and only once a picture has had the focus; the markup stays.
    var ringStyle = null;
    var ringRule = 'img:focus-visible, a:focus-visible img {' +
                   ' outline: auto 5px #1e3c7c !important; outline-offset: -6px !important;' +
                   ' box-shadow: 0 0 0 2px #eceff9, 0 0 0 5px #1e3c7c !important; }';

    function showFocusRing(event) {
        if (!event.isTrusted || !focusedPicture(event.target))
            return;
        try {
            if (!ringStyle) {
                ringStyle = new CSSStyleSheet();
                ringStyle.replaceSync(ringRule);
            }
            var sheets = document.adoptedStyleSheets;
            if (Array.prototype.indexOf.call(sheets, ringStyle) < 0)
                document.adoptedStyleSheets = Array.prototype.concat.call([], sheets, [ringStyle]);
        } catch (e) {
            // Without constructed style sheets the engine's own ring shows.
        }
    }

    // A screen reader reads a picture by its alt text. Without one (alt="" would even hide
    // it), the picture is named by its title, else after its file, while it has the focus: a
    // name can only be an attribute, the one trace in the markup, and it goes with the focus.
    var lent = new WeakMap(); // picture -> the name lent to it

    function fileNameOf(picture) {
        try {
            var address = new URL(text(picture.currentSrc) || text(picture.src));
            if (/^(https?|ftp|file):$/.test(address.protocol)) {
                var name = address.pathname.split('/').pop();
                if (name) {
                    try {
                        return decodeURIComponent(name);
                    } catch (e) {
                        return name; // a stray "%"
                    }
                }
            }
        } catch (e) {
            // Not an address with a file in it.
        }
        return 'صورة — Picture';
    }

    // The focused element is the picture or the link that is only a picture.
    function lendName(event) {
        var element = event.target;
        var picture = event.isTrusted ? focusedPicture(element) : null;
        if (!picture || text(picture.alt).trim() || element.hasAttribute('aria-label') ||
            element.hasAttribute('aria-labelledby'))
            return;
        var name = text(picture.title).trim() || fileNameOf(picture);
        element.setAttribute('aria-label', name);
        lent.set(element, name);
    }

    function takeNameBack(event) {
        var element = event.target;
        if (!event.isTrusted || !lent.has(element))
            return;
        if (element.getAttribute('aria-label') === lent.get(element))
            element.removeAttribute('aria-label');
        lent.delete(element);
    }

    // Enter or Space on a focused picture takes the road of a click on it. Heard last (the
    // window, not capturing), so a page that handles the key itself keeps it; the page's text
    // fields are never a picture.
    function pictureKeyListener(event) {
        if (!event.isTrusted || event.defaultPrevented ||
            (event.key !== 'Enter' && event.key !== ' ') || event.altKey || event.ctrlKey ||
            event.metaKey || event.shiftKey || event.isComposing)
            return;
        var picture = focusedPicture(event.target);
        if (!picture)
            return;
        // Not followed, not scrolled: as with a click, the program decides.
        if (bound)
            event.preventDefault();
        if (event.repeat)
            return; // a key held down is one press
        var s = describe(picture);
        send(function () {
            bridge.clicked(generation, s.tagName, s.id, s.title, s.src, s.href, 0);
        });
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
        window.addEventListener('keydown', pictureKeyListener);
        window.addEventListener('keydown', focusKeyListener, true);
        window.addEventListener('focus', pageFocusListener, true);
        window.addEventListener('focusin', showFocusRing, true);
        window.addEventListener('focusin', lendName, true);
        window.addEventListener('focusout', takeNameBack, true);
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
