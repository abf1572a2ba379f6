package probe;

import java.io.File;
import java.lang.management.ManagementFactory;

/**
 * Puts a folder where the virtual machine is to write its ahead-of-time cache when it ends (the
 * -XX:AOTCacheOutput option it was started with), so that writing the cache fails.
 */
public final class BlockCacheOutput {
    private BlockCacheOutput() {}

    public static void main(String[] args) {
        for (String option : ManagementFactory.getRuntimeMXBean().getInputArguments()) {
            if (option.startsWith("-XX:AOTCacheOutput=")) {
                new File(option.substring("-XX:AOTCacheOutput=".length())).mkdir();
            }
        }
    }
}
