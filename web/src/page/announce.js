// The page's one voice for screen readers: a single polite live region,
// #announcer, in the HTML from the start, so that the first answer (a
// permalink's) lands in a region the reader already knows. Every part of the
// page speaks through it, once per answer; nothing else on the page is a
// live region, so nothing is heard twice.
// While values are typed, the answer is spoken once typing pauses, not per keystroke.
const AFTER_TYPING_MS = 700;

let timer = 0;
let last = "";

function say(text) {
    const region = document.getElementById("announcer");
    // The same words again (the same command twice) must still change the
    // region, or they would not be spoken: a no-break space tells them apart.
    const spoken = text === last ? `${text}\u00a0` : text;
    region.textContent = spoken;
    last = spoken;
}

// Speaks `text` now, or, with `typing`, once typing pauses; a later call
// replaces one still waiting.
export function announce(text, { typing = false } = {}) {
    clearTimeout(timer);
    timer = 0;
    if (typing) timer = setTimeout(() => say(text), AFTER_TYPING_MS);
    else say(text);
}

// Drops an answer still waiting to be spoken (another answer replaces it).
export function hush() {
    clearTimeout(timer);
    timer = 0;
}
