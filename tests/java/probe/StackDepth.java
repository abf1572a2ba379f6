package probe;

/** How many frames of a fixed size the calling thread's stack holds before it overflows. */
final class StackDepth {
    private static int depth;

    private StackDepth() {}

    static int measure() {
        int deepest = 0;
        // The first pass runs interpreted, later ones may be compiled: take the deepest.
        for (int pass = 0; pass < 3; pass++) {
            depth = 0;
            try {
                recurse(1L, 2L, 3L);
            } catch (StackOverflowError expected) {
                // the end of the stack
            }
            deepest = Math.max(deepest, depth);
        }
        return deepest;
    }

    private static long recurse(long a, long b, long c) {
        depth++;
        return recurse(b, c, a + 1) + a;
    }
}
