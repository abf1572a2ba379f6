package com.example.instance;

/**
 * A single-instance application whose class name is not ASCII: its secondaryMain answers 40 plus
 * the number of arguments, like IntSecondaryApp.
 */
public final class SeñalApp {
    private SeñalApp() {}

    public static void main(String[] args) throws Exception {
        Recorder.main(args);
    }

    public static int secondaryMain(String[] args) throws Exception {
        Recorder.recordSecondary(args);
        return 40 + args.length;
    }
}
