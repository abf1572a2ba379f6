package probe;

import java.io.File;
import java.lang.management.ManagementFactory;

/**
 * Puts a folder where the start-up cache is to be written (the -XX:ArchiveClassesAtExit option the
 * virtual machine was started with, or the name of its -XX:DumpLoadedClassList file without
 * ".classlist", where the archive is assembled from that list), so that writing it fails.
 */
public final class BlockCacheOutput {
    private BlockCacheOutput() {}

    public static void main(String[] args) {
        for (String option : ManagementFactory.getRuntimeMXBean().getInputArguments()) {
            if (option.startsWith("-XX:ArchiveClassesAtExit=")) {
                new File(option.substring("-XX:ArchiveClassesAtExit=".length())).mkdir();
            }
            if (option.startsWith("-XX:DumpLoadedClassList=") && option.endsWith(".classlist")) {
                String list = option.substring("-XX:DumpLoadedClassList=".length());
                new File(list.substring(0, list.length() - ".classlist".length())).mkdir();
            }
        }
    }
}
