package probe;

import java.io.PrintStream;
import java.lang.management.ManagementFactory;
import java.util.List;
import java.util.Map;
import java.util.TreeMap;

/**
 * Writes what the launcher handed the virtual machine to System.out, one "key=value" line each:
 * the arguments, the class and library paths, the environment the launcher set, the VM's input
 * arguments, the maximum heap and every system property whose name starts with "t.".
 * Values are escaped to ASCII: a backslash is written twice, and every character outside
 * U+0020..U+007E as \\uXXXX (UTF-16 code units), so the report survives any encoding.
 * With -Dprobe.depth=true it also counts how deep main's thread can recurse.
 */
public final class Report {
    private Report() {}

    public static void main(String[] args) {
        Map<String, String> report = new TreeMap<>();
        report.put("args.count", Integer.toString(args.length));
        for (int i = 0; i < args.length; i++) {
            report.put("arg." + i, args[i]);
        }
        for (String name : new String[] {"java.class.path", "java.library.path", "user.dir", "java.version"}) {
            report.put(name, String.valueOf(System.getProperty(name)));
        }
        for (String name : new String[] {"VX_JVM_PATH", "VX_JVM_HOME", "Path"}) {
            report.put("env." + name, String.valueOf(System.getenv(name)));
        }
        List<String> input = ManagementFactory.getRuntimeMXBean().getInputArguments();
        report.put("input.count", Integer.toString(input.size()));
        for (int i = 0; i < input.size(); i++) {
            report.put("input." + i, input.get(i));
        }
        report.put("max.memory", Long.toString(Runtime.getRuntime().maxMemory()));
        for (String name : System.getProperties().stringPropertyNames()) {
            if (name.startsWith("t.")) {
                report.put("prop." + name, System.getProperty(name));
            }
        }
        report.put("main.thread", Thread.currentThread().getName());
        if (Boolean.getBoolean("probe.depth")) {
            report.put("stack.depth", Integer.toString(StackDepth.measure()));
        }
        PrintStream out = System.out;
        for (Map.Entry<String, String> entry : report.entrySet()) {
            out.print(entry.getKey() + "=" + escape(entry.getValue()) + "\n");
        }
        out.print("end=1\n");
        out.flush();
    }

    static String escape(String text) {
        StringBuilder escaped = new StringBuilder();
        for (int i = 0; i < text.length(); i++) {
            char c = text.charAt(i);
            if (c == '\\') {
                escaped.append("\\\\");
            } else if (c >= 0x20 && c < 0x7f) {
                escaped.append(c);
            } else {
                escaped.append(String.format("\\u%04x", (int) c));
            }
        }
        return escaped.toString();
    }
}
