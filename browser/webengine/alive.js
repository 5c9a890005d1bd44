// Any answer at all: it comes only from a renderer that is not frozen.
0;
