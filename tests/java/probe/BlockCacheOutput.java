package probe;

import java.io.File;
import java.io.FileOutputStream;
import java.io.IOException;
import java.lang.management.ManagementFactory;
import java.nio.charset.StandardCharsets;

/**
 * Puts a folder where the start-up cache is to be written (the -XX:ArchiveClassesAtExit option the
 * virtual machine was started with, or the name of its -XX:DumpLoadedClassList file without
 * ".classlist", where the archive is assembled from that list), so that writing it fails. With the
 * argument "damage" it writes nonsense into the class list instead.
 */
public final class BlockCacheOutput {
    private BlockCacheOutput() {}

    public static void main(String[] args) throws IOException {
        final boolean damage = args.length > 0 && args[0].equals("damage");
        for (String option : ManagementFactory.getRuntimeMXBean().getInputArguments()) {
            if (option.startsWith("-XX:ArchiveClassesAtExit=")) {
                new File(option.substring("-XX:ArchiveClassesAtExit=".length())).mkdir();
            }
            if (option.startsWith("-XX:DumpLoadedClassList=") && option.endsWith(".classlist")) {
                String list = option.substring("-XX:DumpLoadedClassList=".length());
                if (damage) {
                    try (FileOutputStream out = new FileOutputStream(list, true)) {
                        out.write("@lambda-proxy no/Such \u0001\u0002 42 id: x\n\u00ff\u00fe garbage source: -\n"
                                .getBytes(StandardCharsets.ISO_8859_1));
                    }
                } else {
                    new File(list.substring(0, list.length() - ".classlist".length())).mkdir();
                }
            }
        }
    }
}
