package probe;

import java.io.FileOutputStream;
import java.io.IOException;
import java.nio.charset.StandardCharsets;

/**
 * A command-line tool for the console build, compared against java.exe. By its first argument:
 * "echo" prints each further argument on System.out and again on System.err, then copies
 * System.in to System.out; "exit N" ends through System.exit(N); "throw" ends main by throwing;
 * "hook FILE" adds a shutdown hook that writes "hook ran" to FILE, creates FILE.started, says
 * "waiting" and waits.
 * As a single instance, a later start's arguments get 40 plus their number as the answer.
 */
public final class Console {
    private Console() {}

    public static int secondaryMain(String[] args) {
        return 40 + args.length;
    }

    public static void main(String[] args) throws Exception {
        switch (args[0]) {
            case "echo":
                for (int i = 1; i < args.length; i++) {
                    System.out.println("out " + args[i]);
                    System.err.println("err " + args[i]);
                }
                System.out.flush();
                System.in.transferTo(System.out);
                System.out.flush();
                break;
            case "exit":
                System.exit(Integer.parseInt(args[1]));
                break;
            case "throw":
                throw new IllegalStateException("thrown by main \u00f1and\u00fa");
            case "hook":
                Runtime.getRuntime().addShutdownHook(new Thread(() -> {
                    try (FileOutputStream out = new FileOutputStream(args[1])) {
                        out.write("hook ran".getBytes(StandardCharsets.UTF_8));
                    } catch (IOException e) {
                        e.printStackTrace();
                    }
                }));
                new FileOutputStream(args[1] + ".started").close();
                System.out.println("waiting");
                System.out.flush();
                Thread.sleep(120_000);
                break;
            default:
                System.exit(99);
        }
    }
}
