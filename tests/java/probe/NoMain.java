package probe;

/** A class that a launcher cannot start: it has no static main(String[]). */
public final class NoMain {
    private NoMain() {}

    public static void run(String[] args) {
        System.out.println("not a main method");
    }
}
