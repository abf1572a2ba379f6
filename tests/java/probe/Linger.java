package probe;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Paths;

/**
 * main returns at once; a non-daemon thread sleeps (second argument, milliseconds, default 2000)
 * and then writes the marker file named by the first argument. The process must wait for it.
 */
public final class Linger {
    private Linger() {}

    public static void main(String[] args) {
        final String marker = args[0];
        final long sleep = args.length > 1 ? Long.parseLong(args[1]) : 2000L;
        Thread worker = new Thread(() -> {
            try {
                Thread.sleep(sleep);
                Files.write(Paths.get(marker), "done".getBytes(StandardCharsets.US_ASCII));
            } catch (InterruptedException | IOException e) {
                e.printStackTrace();
            }
        }, "linger");
        worker.setDaemon(false);
        worker.start();
    }
}
