package com.example.instance;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardCopyOption;
import java.nio.file.StandardOpenOption;

/**
 * What the test applications share: they write what they received into files of the folder named
 * by the system property "instance.dir", where the Windows test program reads it.
 *
 * <ul>
 *   <li>main-PID.txt: the arguments of main (written once main runs, so the file also says that the
 *       application has started);</li>
 *   <li>secondary.txt: one line per call of secondaryMain;</li>
 *   <li>stop: written by the test; main, when started with the argument "stay", waits for it and
 *       ends the process with the number it holds.</li>
 * </ul>
 *
 * An argument list is written as its length followed by each argument in brackets, with every
 * character outside printable ASCII (and the backslash) as a backslash-u escape: {@code 2 [a] [b]}.
 */
final class Recorder {
    private static final long STAY_LIMIT_MS = 180_000;
    private static final Object LOCK = new Object();

    private Recorder() {}

    static Path folder() {
        return Paths.get(System.getProperty("instance.dir", "."));
    }

    static String describe(String[] args) {
        StringBuilder text = new StringBuilder().append(args.length);
        for (String arg : args) {
            text.append(" [");
            for (char c : arg.toCharArray()) {
                if (c >= 0x20 && c < 0x7f && c != '\\') {
                    text.append(c);
                } else {
                    text.append(String.format("\\u%04x", (int) c));
                }
            }
            text.append(']');
        }
        return text.toString();
    }

    static void recordMain(String[] args) throws IOException {
        long pid = ProcessHandle.current().pid();
        Path target = folder().resolve("main-" + pid + ".txt");
        Path partial = folder().resolve("main-" + pid + ".partial");
        Files.write(partial, (describe(args) + "\n").getBytes(StandardCharsets.UTF_8));
        Files.move(partial, target, StandardCopyOption.ATOMIC_MOVE);
    }

    static void recordSecondary(String[] args) throws IOException {
        synchronized (LOCK) {
            Files.write(folder().resolve("secondary.txt"), (describe(args) + "\n").getBytes(StandardCharsets.UTF_8),
                    StandardOpenOption.CREATE, StandardOpenOption.APPEND);
        }
    }

    /** The main method of every test application. */
    static void main(String[] args) throws Exception {
        System.out.println("out line of " + describe(args));
        System.err.println("err line of " + describe(args));
        System.out.flush();
        System.err.flush();
        recordMain(args);
        sleepIfAsked(args);
        for (String arg : args) {
            if (arg.equals("stay")) stay();
        }
    }

    /** Waits for the stop file and ends the process with the code it holds. */
    private static void stay() throws InterruptedException {
        Path stop = folder().resolve("stop");
        long deadline = System.currentTimeMillis() + STAY_LIMIT_MS;
        while (System.currentTimeMillis() < deadline) {
            try {
                String text = new String(Files.readAllBytes(stop), StandardCharsets.UTF_8).trim();
                if (!text.isEmpty()) System.exit(Integer.parseInt(text));
            } catch (IOException | NumberFormatException notYet) {
                // no stop file yet, or not yet written completely
            }
            Thread.sleep(20);
        }
        System.exit(97);
    }

    /** The value of the first argument of the form NAME=number, or the fallback. */
    static int option(String[] args, String name, int fallback) {
        for (String arg : args) {
            if (arg.startsWith(name + "=")) return Integer.parseInt(arg.substring(name.length() + 1));
        }
        return fallback;
    }

    static void sleepIfAsked(String[] args) throws InterruptedException {
        int ms = option(args, "sleep", 0);
        if (ms > 0) Thread.sleep(ms);
    }
}
