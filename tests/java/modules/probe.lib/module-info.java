/** The library module beside the tests' main module. */
module probe.lib {
    exports probe.lib;
}
