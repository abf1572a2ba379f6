package probe;

/**
 * main returns at once; a daemon thread waits (first argument, milliseconds, default 1500) and
 * then calls System.exit: 7 when main's thread is still alive then (parked by the launcher),
 * 8 when it has ended. A run that does not wait for daemon threads ends before, with 0.
 */
public final class Parked {
    private Parked() {}

    public static void main(String[] args) {
        final Thread mainThread = Thread.currentThread();
        final long wait = args.length > 0 ? Long.parseLong(args[0]) : 1500L;
        Thread exiter = new Thread(() -> {
            try {
                Thread.sleep(wait);
            } catch (InterruptedException e) {
                Thread.currentThread().interrupt();
            }
            System.exit(mainThread.isAlive() ? 7 : 8);
        }, "exiter");
        exiter.setDaemon(true);
        exiter.start();
    }
}
