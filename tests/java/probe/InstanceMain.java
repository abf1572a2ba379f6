package probe;

/**
 * main as an instance method: the runtime's own launcher check accepts it (Java 25 runs instance
 * main methods), but it is not the static main(String[]) that a JNI launcher calls.
 */
public final class InstanceMain {
    public void main(String[] args) {
        System.out.println("instance main ran");
    }
}
