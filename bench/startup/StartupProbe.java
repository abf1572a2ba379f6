import java.io.IOException;
import java.lang.management.ManagementFactory;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.nio.file.StandardOpenOption;
import java.time.Duration;
import java.time.Instant;

/**
 * The first thing main does is read the clock. Appended to the file named by the first argument:
 * the time since the process was created (as the system recorded it) in microseconds; the part
 * of it until the virtual machine had its core classes initialised (RuntimeMXBean's start time,
 * which HotSpot records in JNI_CreateJavaVM before it sets up the module system and the class
 * path; millisecond resolution); and the number of entries in java.class.path.
 */
public final class StartupProbe {
    private StartupProbe() {}

    public static void main(String[] args) throws IOException {
        final Instant atMain = Instant.now();
        final Instant started = ProcessHandle.current().info().startInstant().orElse(atMain);
        final long micros = Duration.between(started, atMain).toNanos() / 1000L;
        final Instant vmStart = Instant.ofEpochMilli(ManagementFactory.getRuntimeMXBean().getStartTime());
        final long beforeVm = Duration.between(started, vmStart).toNanos() / 1000L;
        int entries = 0;
        for (String entry : System.getProperty("java.class.path").split(";")) {
            if (!entry.isEmpty()) {
                entries++;
            }
        }
        Files.write(Paths.get(args[0]),
                (micros + " " + beforeVm + " " + entries + "\n").getBytes(StandardCharsets.US_ASCII),
                StandardOpenOption.CREATE, StandardOpenOption.APPEND);
    }
}
