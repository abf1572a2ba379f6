package probe;

/**
 * Ends main by throwing. With "other-thread" as its argument, another thread throws instead and
 * main returns normally. Otherwise a non-daemon worker outlives main and prints "worker finished"
 * when it ends, so that a test can see the application go on after the exception was ignored.
 */
public final class Throw {
    private Throw() {}

    public static void main(String[] args) throws Exception {
        if (args.length > 0 && args[0].equals("other-thread")) {
            Thread thrower = new Thread(() -> {
                throw new IllegalStateException("thrown on another thread");
            });
            thrower.start();
            thrower.join();
            System.out.println("main returned");
            return;
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
