// Every frame, the top-level document's and those inside it, copies and cuts nothing onto the
// clipboard: the event reaches no handler of the page, and a cancelled event with no data of
// its own writes nothing. It runs before any script of the page, in the program's isolated
// world.
(function () {
    function refuse(event) { event.preventDefault(); event.stopImmediatePropagation(); }
    window.addEventListener('copy', refuse, true);
    window.addEventListener('cut', refuse, true);
})();
