package com.example.instance;

/** An application without secondaryMain. */
public final class PlainApp {
    private PlainApp() {}

    public static void main(String[] args) throws Exception {
        Recorder.main(args);
    }
}
