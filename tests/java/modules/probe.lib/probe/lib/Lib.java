package probe.lib;

/** Proves that the main module's requirement was resolved from the module path. */
public final class Lib {
    private Lib() {}

    public static String where() {
        return Lib.class.getModule().getName();
    }
}
