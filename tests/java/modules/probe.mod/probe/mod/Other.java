package probe.mod;

/** A second class with main, named in "Main Module" as probe.mod/probe.mod.Other. */
public final class Other {
    private Other() {}

    public static void main(String[] args) throws Exception {
        Main.report(Other.class, args);
    }
}
