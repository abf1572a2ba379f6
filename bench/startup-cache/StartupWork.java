import java.io.ByteArrayInputStream;
import java.io.IOException;
import java.io.StringWriter;
import java.lang.management.ManagementFactory;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.nio.file.StandardOpenOption;
import java.time.Duration;
import java.time.Instant;
import java.util.List;
import java.util.Map;
import java.util.logging.Level;
import java.util.logging.Logger;
import java.util.logging.StreamHandler;
import java.util.stream.Collectors;
import java.util.stream.IntStream;
import javax.swing.JButton;
import javax.swing.JComboBox;
import javax.swing.JFrame;
import javax.swing.JMenu;
import javax.swing.JMenuBar;
import javax.swing.JMenuItem;
import javax.swing.JPanel;
import javax.swing.JScrollPane;
import javax.swing.JSplitPane;
import javax.swing.JTabbedPane;
import javax.swing.JTable;
import javax.swing.JTextPane;
import javax.swing.JTree;
import javax.xml.parsers.DocumentBuilderFactory;
import javax.xml.parsers.SAXParserFactory;
import javax.xml.transform.TransformerFactory;
import javax.xml.transform.dom.DOMSource;
import javax.xml.transform.stream.StreamResult;
import javax.xml.xpath.XPathConstants;
import javax.xml.xpath.XPathFactory;
import org.w3c.dom.Document;
import org.w3c.dom.NodeList;
import org.xml.sax.Attributes;
import org.xml.sax.helpers.DefaultHandler;

/**
 * The start-up work of a small desktop application: read an XML configuration (DOM, XPath, SAX,
 * and written back through a transformer), set up java.util.logging, crunch a few streams and
 * build a Swing window with a menu, table, tree, text pane and tabs (constructed and laid out, never
 * shown). Several thousand classes are loaded and linked on the way. Avoids what aborts Java 21+
 * under Wine 8 (SecureRandom, temporary files, networking).
 *
 * Appended to the file named by the first argument: the microseconds from the process's creation
 * (as the system recorded it) to the end of that work, and the number of classes loaded.
 */
public final class StartupWork {
    private StartupWork() {}

    private static final String CONFIG = "<?xml version=\"1.0\"?><config name=\"bench\">"
            + "<window width=\"800\" height=\"600\"/><recent><file>a.txt</file><file>b.txt</file></recent>"
            + "<columns><column id=\"1\">Name</column><column id=\"2\">Size</column><column id=\"3\">Date</column>"
            + "</columns></config>";

    public static void main(String[] args) throws Exception {
        final Instant started = ProcessHandle.current().info().startInstant().orElse(Instant.now());

        byte[] xml = CONFIG.getBytes(StandardCharsets.UTF_8);
        Document document = DocumentBuilderFactory.newInstance().newDocumentBuilder()
                .parse(new ByteArrayInputStream(xml));
        NodeList columns = (NodeList) XPathFactory.newInstance().newXPath()
                .evaluate("/config/columns/column", document, XPathConstants.NODESET);
        final int[] elements = {0};
        SAXParserFactory.newInstance().newSAXParser().parse(new ByteArrayInputStream(xml), new DefaultHandler() {
            @Override
            public void startElement(String uri, String local, String name, Attributes attributes) {
                elements[0]++;
            }
        });
        StringWriter written = new StringWriter();
        TransformerFactory.newInstance().newTransformer().transform(new DOMSource(document), new StreamResult(written));

        Logger logger = Logger.getLogger("bench");
        logger.setUseParentHandlers(false);
        logger.addHandler(new StreamHandler(System.err, new java.util.logging.SimpleFormatter()));
        logger.setLevel(Level.WARNING);
        logger.info("configuration read: " + elements[0] + " elements");

        Map<Boolean, List<String>> split = IntStream.range(0, 2000).mapToObj(Integer::toString)
                .collect(Collectors.partitioningBy(s -> s.length() % 2 == 0));
        String joined = split.get(true).stream().sorted().limit(5).collect(Collectors.joining(","));

        String[] names = new String[columns.getLength()];
        for (int i = 0; i < names.length; i++) {
            names[i] = columns.item(i).getTextContent();
        }
        JFrame frame = new JFrame("Bench");
        JMenuBar menus = new JMenuBar();
        JMenu file = new JMenu("File");
        file.add(new JMenuItem("Open"));
        menus.add(file);
        frame.setJMenuBar(menus);
        JTabbedPane tabs = new JTabbedPane();
        tabs.addTab("Table", new JScrollPane(new JTable(new Object[][] {{"a", 1, joined}}, names)));
        tabs.addTab("Text", new JScrollPane(new JTextPane()));
        JPanel buttons = new JPanel();
        buttons.add(new JButton("OK"));
        buttons.add(new JComboBox<>(names));
        frame.getContentPane().add(new JSplitPane(JSplitPane.HORIZONTAL_SPLIT, new JScrollPane(new JTree()), tabs));
        frame.getContentPane().add(buttons, java.awt.BorderLayout.SOUTH);
        frame.pack();
        frame.dispose();

        final long micros = Duration.between(started, Instant.now()).toNanos() / 1000L;
        final long classes = ManagementFactory.getClassLoadingMXBean().getTotalLoadedClassCount();
        Files.write(Paths.get(args[0]), (micros + " " + classes + "\n").getBytes(StandardCharsets.US_ASCII),
                StandardOpenOption.CREATE, StandardOpenOption.APPEND);
        System.exit(0);  // the AWT threads would otherwise keep the process
    }
}
