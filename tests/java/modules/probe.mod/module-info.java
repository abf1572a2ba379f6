/** The tests' main module: it needs nothing beyond java.base and probe.lib. */
module probe.mod {
    requires probe.lib;
}
