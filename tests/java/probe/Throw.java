package probe;

/**
 * Ends main by throwing. The first argument chooses how:
 * <ul>
 *   <li>none: a non-daemon worker outlives main and prints "worker finished" when it ends, so that a
 *       test can see the application go on after the exception was ignored;</li>
 *   <li>"other-thread": another thread throws instead and main returns normally;</li>
 *   <li>"long" N: the message is one line of N characters; "throwing at" and the time in
 *       milliseconds is printed just before the throw;</li>
 *   <li>"unicode": the message holds characters outside the ANSI code pages;</li>
 *   <li>"bad-to-string": an exception whose toString throws.</li>
 * </ul>
 */
public final class Throw {
    private Throw() {}

    /** An exception that cannot describe itself. */
    static final class BadToString extends RuntimeException {
        private static final long serialVersionUID = 1L;

        @Override
        public String toString() {
            throw new IllegalStateException("toString refuses");
        }
    }

    public static void main(String[] args) throws Exception {
        String mode = args.length > 0 ? args[0] : "";
        switch (mode) {
            case "other-thread": {
                Thread thrower = new Thread(() -> {
                    throw new IllegalStateException("thrown on another thread");
                });
                thrower.start();
                thrower.join();
                System.out.println("main returned");
                return;
            }
            case "long": {
                String message = "x".repeat(Integer.parseInt(args[1]));
                System.out.println("throwing at " + System.currentTimeMillis());
                System.out.flush();
                throw new IllegalStateException(message);
            }
            case "unicode":
                throw new IllegalStateException("emoji \ud83d\ude00 han \u4e2d\u6587");
            case "bad-to-string":
                throw new BadToString();
            default:
                break;
        }
        Thread worker = new Thread(() -> {
            try {
                Thread.sleep(1000);
            } catch (InterruptedException e) {
                return;
            }
            System.out.println("worker finished");
            System.out.flush();
        });
        worker.start();
        throw new IllegalStateException("thrown by main \u00e9\u4e2d");
    }
}
