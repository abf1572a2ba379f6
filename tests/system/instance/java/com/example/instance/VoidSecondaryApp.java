package com.example.instance;

/** A single-instance application whose secondaryMain gives no answer. */
public final class VoidSecondaryApp {
    private VoidSecondaryApp() {}

    public static void main(String[] args) throws Exception {
        Recorder.main(args);
    }

    public static void secondaryMain(String[] args) throws Exception {
        Recorder.recordSecondary(args);
        Recorder.sleepIfAsked(args);
    }
}
