package com.example.instance;

/**
 * A single-instance application whose secondaryMain answers with an int: the number given as
 * "ret=N", else 40 plus the number of arguments. "exit=N" ends the whole process with N instead,
 * "sleep=MS" answers late, "throw" throws.
 */
public final class IntSecondaryApp {
    private IntSecondaryApp() {}

    public static void main(String[] args) throws Exception {
        Recorder.main(args);
    }

    public static int secondaryMain(String[] args) throws Exception {
        Recorder.recordSecondary(args);
        Recorder.sleepIfAsked(args);
        int exit = Recorder.option(args, "exit", Integer.MIN_VALUE);
        if (exit != Integer.MIN_VALUE) System.exit(exit);
        for (String arg : args) {
            if (arg.equals("throw")) throw new IllegalStateException("secondaryMain was asked to throw");
        }
        return Recorder.option(args, "ret", 40 + args.length);
    }
}
